#pragma once

#include <QMargins>
#include <QRectF>
#include <array>
#include <memory>
#include <utility>

#include "ui/skin/ImageListSkin.h"

namespace keyloom::ui {

// Tag "imgframe": an image list whose frames are drawn nine-slice: the margins keep their size,
// the edges stretch along them and the middle both ways.
class ImageFrameSkin : public ISkinObj {
 public:
  ImageFrameSkin(std::shared_ptr<const Image> image, int states, bool vertical, QMargins margins);

  void Draw(QPainter& painter, const QRect& rect, int state, int alpha = kOpaque) const override;
  [[nodiscard]] int StateCount() const override { return frames_.StateCount(); }
  [[nodiscard]] QSize NaturalSize() const override { return frames_.NaturalSize(); }

  // The nine (source, target) pairs of drawing `source` into `target` with `margins`, row by row
  // from the top-left; empty pieces stay in the list. Margins wider than the target shrink in
  // proportion, so that the corners never overlap.
  [[nodiscard]] static std::array<std::pair<QRectF, QRectF>, 9> Slices(const QRectF& source,
                                                                       const QRectF& target,
                                                                       const QMargins& margins);

 private:
  ImageListSkin frames_;
  std::shared_ptr<const Image> image_;
  QMargins margins_;
};

}  // namespace keyloom::ui

#pragma once

#include <memory>

#include "ui/skin/ISkinObj.h"

class QRectF;

namespace keyloom::ui {

class Image;

// Tag "imglist": the states are frames of one image, side by side from the left, or stacked from
// the top when vertical; a state is its frame stretched to the rectangle.
class ImageListSkin : public ISkinObj {
 public:
  ImageListSkin(std::shared_ptr<const Image> image, int states, bool vertical);

  void Draw(QPainter& painter, const QRect& rect, int state, int alpha = kOpaque) const override;
  [[nodiscard]] int StateCount() const override { return states_; }
  [[nodiscard]] QSize NaturalSize() const override;

  // The part of the image that holds state `state` (state 0 for one outside the range).
  [[nodiscard]] QRectF FrameRect(int state) const;

 private:
  std::shared_ptr<const Image> image_;
  int states_;
  bool vertical_;
};

}  // namespace keyloom::ui

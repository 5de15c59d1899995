#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSizeF>

namespace keyloom::controls {

// A picture of `pictureSize` pixels stretched over `target`: maps rectangles given in the
// picture's pixels to the target's coordinates and points back. An empty picture size maps 1:1
// from the target's top-left.
class PictureMapping {
 public:
  PictureMapping(const QRectF& target, const QSizeF& pictureSize);

  [[nodiscard]] QRectF ToTarget(const QRect& pictureRect) const;
  [[nodiscard]] QPointF ToPicture(const QPointF& targetPoint) const;

 private:
  QPointF origin_;
  qreal scaleX_ = 1.0;
  qreal scaleY_ = 1.0;
};

}  // namespace keyloom::controls

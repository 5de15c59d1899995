#include "controls/PictureMapping.h"

namespace keyloom::controls {

PictureMapping::PictureMapping(const QRectF& target, const QSizeF& pictureSize)
    : origin_(target.topLeft()) {
  if (pictureSize.width() > 0 && pictureSize.height() > 0) {
    scaleX_ = target.width() / pictureSize.width();
    scaleY_ = target.height() / pictureSize.height();
  }
}

QRectF PictureMapping::ToTarget(const QRect& pictureRect) const {
  return {origin_.x() + pictureRect.x() * scaleX_, origin_.y() + pictureRect.y() * scaleY_,
          pictureRect.width() * scaleX_, pictureRect.height() * scaleY_};
}

QPointF PictureMapping::ToPicture(const QPointF& targetPoint) const {
  const qreal x = scaleX_ != 0 ? (targetPoint.x() - origin_.x()) / scaleX_ : 0;
  const qreal y = scaleY_ != 0 ? (targetPoint.y() - origin_.y()) / scaleY_ : 0;
  return {x, y};
}

}  // namespace keyloom::controls

#include "ui/skin/ImageListSkin.h"

#include <QPainter>
#include <QRectF>
#include <algorithm>
#include <utility>

#include "ui/skin/Image.h"

namespace keyloom::ui {

ImageListSkin::ImageListSkin(std::shared_ptr<const Image> image, int states, bool vertical)
    : image_(std::move(image)), states_(std::max(1, states)), vertical_(vertical) {}

QSize ImageListSkin::NaturalSize() const {
  const QSize size = image_->Size();
  return vertical_ ? QSize(size.width(), size.height() / states_)
                   : QSize(size.width() / states_, size.height());
}

QRectF ImageListSkin::FrameRect(int state) const {
  const int index = (state >= 0 && state < states_) ? state : 0;
  const QSizeF image(image_->Size());
  if (vertical_) {
    const qreal height = image.height() / states_;
    return {0.0, height * index, image.width(), height};
  }
  const qreal width = image.width() / states_;
  return {width * index, 0.0, width, image.height()};
}

void ImageListSkin::Draw(QPainter& painter, const QRect& rect, int state, int alpha) const {
  image_->Draw(painter, QRectF(rect), FrameRect(state), alpha / static_cast<qreal>(kOpaque));
}

}  // namespace keyloom::ui

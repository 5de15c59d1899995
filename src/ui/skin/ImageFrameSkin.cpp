#include "ui/skin/ImageFrameSkin.h"

#include <QPainter>
#include <algorithm>

#include "ui/skin/Image.h"

namespace keyloom::ui {

namespace {

// The three spans [start, start + first), the middle, [end - last, end) of one axis.
std::array<std::pair<qreal, qreal>, 3> Spans(qreal start, qreal length, qreal first, qreal last) {
  if (first + last > length && first + last > 0) {
    const qreal shrink = length / (first + last);
    first *= shrink;
    last *= shrink;
  }
  return {{{start, first}, {start + first, length - first - last}, {start + length - last, last}}};
}

}  // namespace

ImageFrameSkin::ImageFrameSkin(std::shared_ptr<const Image> image, int states, bool vertical,
                               QMargins margins)
    : frames_(image, states, vertical), image_(std::move(image)), margins_(margins) {}

std::array<std::pair<QRectF, QRectF>, 9> ImageFrameSkin::Slices(const QRectF& source,
                                                                const QRectF& target,
                                                                const QMargins& margins) {
  const auto sourceX = Spans(source.x(), source.width(), margins.left(), margins.right());
  const auto sourceY = Spans(source.y(), source.height(), margins.top(), margins.bottom());
  const auto targetX = Spans(target.x(), target.width(), margins.left(), margins.right());
  const auto targetY = Spans(target.y(), target.height(), margins.top(), margins.bottom());
  std::array<std::pair<QRectF, QRectF>, 9> slices;
  for (std::size_t row = 0; row < 3; ++row) {
    for (std::size_t column = 0; column < 3; ++column) {
      slices[row * 3 + column] = {QRectF(sourceX[column].first, sourceY[row].first,
                                         sourceX[column].second, sourceY[row].second),
                                  QRectF(targetX[column].first, targetY[row].first,
                                         targetX[column].second, targetY[row].second)};
    }
  }
  return slices;
}

void ImageFrameSkin::Draw(QPainter& painter, const QRect& rect, int state, int alpha) const {
  const qreal opacity = alpha / static_cast<qreal>(kOpaque);
  for (const auto& [source, target] : Slices(frames_.FrameRect(state), QRectF(rect), margins_)) {
    if (!source.isEmpty() && !target.isEmpty()) {
      image_->DrawAtDeviceScale(painter, target, source, opacity);
    }
  }
}

}  // namespace keyloom::ui

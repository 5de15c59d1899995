#include "ui/skin/Image.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstddef>

namespace keyloom::ui {

namespace {

// Scales closer than this share one rendering of a vector picture.
constexpr qreal kScaleStep = 1.0 / 64.0;
constexpr qreal kSmallestScale = 1.0 / 16.0;
constexpr qreal kLargestScale = 16.0;
constexpr std::size_t kCachedRenderings = 4;
constexpr int kIconSizes[] = {16, 24, 32, 48, 64};

qreal QuantizedScale(qreal scale) {
  const qreal bounded = std::clamp(scale, kSmallestScale, kLargestScale);
  return std::round(bounded / kScaleStep) * kScaleStep;
}

bool LooksLikeSvg(const QByteArray& bytes) {
  return bytes.left(1024).contains("<svg");
}

}  // namespace

std::pair<qreal, qreal> DeviceScale(const QPainter& painter) {
  const QTransform transform = painter.combinedTransform();
  const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
  return {std::hypot(transform.m11(), transform.m12()) * ratio,
          std::hypot(transform.m21(), transform.m22()) * ratio};
}

Image::Image(std::unique_ptr<QSvgRenderer> svg, QImage raster, QSize size)
    : svg_(std::move(svg)), raster_(std::move(raster)), size_(size) {}

Image::~Image() = default;

std::shared_ptr<const Image> Image::Decode(const QByteArray& bytes) {
  if (LooksLikeSvg(bytes)) {
    auto renderer = std::make_unique<QSvgRenderer>(bytes);
    const QSize size = renderer->defaultSize();
    if (!renderer->isValid() || size.isEmpty()) {
      return nullptr;
    }
    return std::shared_ptr<const Image>(new Image(std::move(renderer), QImage(), size));
  }
  return FromImage(QImage::fromData(bytes));
}

std::shared_ptr<const Image> Image::FromImage(QImage image) {
  if (image.isNull()) {
    return nullptr;
  }
  const QSize size = image.size();
  return std::shared_ptr<const Image>(
      new Image(nullptr, image.convertToFormat(QImage::Format_ARGB32_Premultiplied), size));
}

const QImage& Image::RasterAt(qreal scale) const {
  const qreal key = QuantizedScale(scale);
  const auto found = std::find_if(cache_.begin(), cache_.end(),
                                  [key](const auto& entry) { return entry.first == key; });
  if (found != cache_.end()) {
    return found->second;
  }
  if (cache_.size() >= kCachedRenderings) {
    cache_.erase(cache_.begin());
  }
  const QSize pixels(std::max(1, static_cast<int>(std::ceil(size_.width() * key))),
                     std::max(1, static_cast<int>(std::ceil(size_.height() * key))));
  cache_.emplace_back(key, Render(pixels));
  return cache_.back().second;
}

void Image::DrawRaster(QPainter& painter, const QRectF& target, const QRectF& source, qreal opacity,
                       qreal scale) const {
  if (target.isEmpty() || source.isEmpty()) {
    return;
  }
  painter.save();
  painter.setOpacity(painter.opacity() * opacity);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (svg_ == nullptr) {
    painter.drawImage(target, raster_, source);
  } else {
    const QImage& raster = RasterAt(scale);
    const qreal sx = raster.width() / static_cast<qreal>(size_.width());
    const qreal sy = raster.height() / static_cast<qreal>(size_.height());
    painter.drawImage(
        target, raster,
        QRectF(source.x() * sx, source.y() * sy, source.width() * sx, source.height() * sy));
  }
  painter.restore();
}

void Image::Draw(QPainter& painter, const QRectF& target, const QRectF& source,
                 qreal opacity) const {
  if (source.isEmpty()) {
    return;
  }
  const auto [deviceX, deviceY] = DeviceScale(painter);
  const qreal scale = std::max(target.width() / source.width() * deviceX,
                               target.height() / source.height() * deviceY);
  DrawRaster(painter, target, source, opacity, scale);
}

void Image::DrawAtDeviceScale(QPainter& painter, const QRectF& target, const QRectF& source,
                              qreal opacity) const {
  const auto [deviceX, deviceY] = DeviceScale(painter);
  DrawRaster(painter, target, source, opacity, std::max(deviceX, deviceY));
}

QImage Image::Render(const QSize& pixelSize) const {
  if (svg_ == nullptr) {
    return raster_.scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  QImage image(pixelSize, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  svg_->render(&painter, QRectF(QPointF(0, 0), QSizeF(pixelSize)));
  return image;
}

QIcon Image::ToIcon() const {
  QIcon icon;
  for (const int side : kIconSizes) {
    const QSize pixels = size_.scaled(side, side, Qt::KeepAspectRatio);
    if (!pixels.isEmpty()) {
      icon.addPixmap(QPixmap::fromImage(Render(pixels)));
    }
  }
  return icon;
}

}  // namespace keyloom::ui

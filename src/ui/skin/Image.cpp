#include "ui/skin/Image.h"

#include <QFile>
#include <QPaintDevice>
#include <QPainter>
#include <QPixmap>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "ui/skin/VectorPicture.h"

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

Image::Image(QByteArray svg, QString svgFile, QImage raster, QSize size)
    : isSvg_(!svg.isEmpty() || !svgFile.isEmpty()),
      svg_(std::move(svg)),
      svgFile_(std::move(svgFile)),
      raster_(std::move(raster)),
      size_(size) {}

Image::~Image() = default;

std::shared_ptr<const Image> Image::Decode(const QByteArray& bytes, const QString& path) {
  if (!LooksLikeSvg(bytes)) {
    return FromImage(QImage::fromData(bytes));
  }
  std::vector<Prerendered> rasters;
  QSize natural;
  const QString stamp = path.isEmpty() ? QString() : SourceStamp(bytes);
  for (const int scale : kPrerenderedScales) {
    const QString file = PrerenderedPath(path, scale);
    const std::optional<QSize> size = file.isEmpty() ? std::nullopt : PrerenderedSize(file, stamp);
    if (!size || size->width() % scale != 0 || size->height() % scale != 0) {
      continue;
    }
    if (natural.isEmpty()) {
      natural = *size / scale;
    }
    if (*size == natural * scale) {
      rasters.push_back(Prerendered{scale, file, QImage()});
    }
  }
  if (!rasters.empty()) {
    auto image = std::shared_ptr<Image>(new Image(QByteArray(), path, QImage(), natural));
    image->prerendered_ = std::move(rasters);
    return image;
  }
  auto image = std::shared_ptr<Image>(new Image(bytes, QString(), QImage(), QSize()));
  const VectorPicture* vector = image->Vector();
  if (vector == nullptr) {
    return nullptr;
  }
  image->size_ = vector->DefaultSize();
  return image;
}

std::shared_ptr<const Image> Image::FromImage(const QImage& image) {
  if (image.isNull()) {
    return nullptr;
  }
  const QSize size = image.size();
  return std::shared_ptr<const Image>(new Image(
      QByteArray(), QString(), image.convertToFormat(QImage::Format_ARGB32_Premultiplied), size));
}

int Image::PrerenderedCount() const {
  return static_cast<int>(prerendered_.size());
}

const VectorPicture* Image::Vector() const {
  if (!parsed_) {
    parsed_ = true;
    if (svg_.isEmpty()) {
      QFile file(svgFile_);
      svg_ = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    vector_ = VectorPicture::Parse(svg_);
    svg_ = QByteArray();
  }
  return vector_.get();
}

const QImage& Image::PrerenderedPixels(const Prerendered& raster) const {
  if (raster.pixels.isNull()) {
    raster.pixels = QImage(raster.file, "png").convertToFormat(QImage::Format_ARGB32_Premultiplied);
  }
  return raster.pixels;
}

const Image::Prerendered* Image::NearestPrerendered(qreal scale) const {
  const Prerendered* nearest = nullptr;
  for (const Prerendered& raster : prerendered_) {
    if (raster.scale >= scale && (nearest == nullptr || raster.scale < nearest->scale)) {
      nearest = &raster;
    }
  }
  if (nearest != nullptr) {
    return nearest;
  }
  for (const Prerendered& raster : prerendered_) {
    if (nearest == nullptr || raster.scale > nearest->scale) {
      nearest = &raster;
    }
  }
  return nearest;
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
  if (!IsVector()) {
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
  if (!IsVector()) {
    return raster_.scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  for (const Prerendered& raster : prerendered_) {
    if (size_ * raster.scale == pixelSize) {
      return PrerenderedPixels(raster);
    }
  }
  if (const VectorPicture* vector = Vector()) {
    return vector->Render(pixelSize);
  }
  const Prerendered* nearest =
      NearestPrerendered(pixelSize.width() / static_cast<qreal>(size_.width()));
  return PrerenderedPixels(*nearest).scaled(pixelSize, Qt::IgnoreAspectRatio,
                                            Qt::SmoothTransformation);
}

QIcon Image::ToIcon() const {
  QIcon icon;
  if (!prerendered_.empty()) {
    for (const Prerendered& raster : prerendered_) {
      icon.addPixmap(QPixmap::fromImage(PrerenderedPixels(raster)));
    }
    return icon;
  }
  for (const int side : kIconSizes) {
    const QSize pixels = size_.scaled(side, side, Qt::KeepAspectRatio);
    if (!pixels.isEmpty()) {
      icon.addPixmap(QPixmap::fromImage(Render(pixels)));
    }
  }
  return icon;
}

}  // namespace keyloom::ui

#include "ui/skin/Image.h"

#include <QFile>
#include <QFileInfo>
#include <QPaintDevice>
#include <QPainter>
#include <QPixmap>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "ui/skin/PictureCache.h"
#include "ui/skin/VectorPicture.h"

namespace keyloom::ui {

namespace {

// Scales closer than this share one rendering of a vector picture.
constexpr qreal kScaleStep = 1.0 / 64.0;
constexpr qreal kSmallestScale = 1.0 / 16.0;
constexpr qreal kLargestScale = 16.0;
constexpr std::size_t kCachedRenderings = 4;
constexpr int kIconSizes[] = {16, 24, 32, 48, 64};
// Sizes closer than this count as equal.
constexpr qreal kPixelTolerance = 1.0 / 1024.0;

// Whether `source`, in an image's pixels, lands on `target` through `transform` one device pixel
// per image pixel (Qt puts such a drawing on whole device pixels).
bool PixelForPixel(const QTransform& transform, const QRectF& target, const QRectF& source) {
  if (transform.type() > QTransform::TxScale) {
    return false;
  }
  const QRectF device = transform.mapRect(target);
  return std::abs(device.width() - source.width()) < kPixelTolerance &&
         std::abs(device.height() - source.height()) < kPixelTolerance;
}

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
  // The rasters made ahead of time stand for a document that declares its size; each is checked
  // against the document at its first use, so that the start reads no more than it draws.
  const std::optional<QSize> declared = path.isEmpty() ? std::nullopt : DeclaredSize(bytes);
  if (declared) {
    if (auto image = WithRasters(path, *declared)) {
      return image;
    }
  }
  auto image = std::shared_ptr<Image>(new Image(bytes, QString(), QImage(), QSize()));
  const VectorPicture* vector = image->Vector();
  if (vector == nullptr) {
    return nullptr;
  }
  image->size_ = vector->DefaultSize();
  return image;
}

std::shared_ptr<const Image> Image::FromRasters(const QString& path, const PictureFacts& facts) {
  std::shared_ptr<Image> image = WithRasters(path, facts.declared);
  if (image != nullptr) {
    image->stamp_ = facts.stamp;
  }
  return image;
}

std::shared_ptr<Image> Image::WithRasters(const QString& path, QSize declared) {
  std::vector<Prerendered> rasters;
  for (const int scale : kPrerenderedScales) {
    const QString file = PrerenderedPath(path, scale);
    if (!file.isEmpty() && QFileInfo::exists(file)) {
      rasters.push_back(Prerendered{scale, file, false, QImage()});
    }
  }
  if (rasters.empty()) {
    return nullptr;
  }
  auto image = std::shared_ptr<Image>(new Image(QByteArray(), path, QImage(), declared));
  image->prerendered_ = std::move(rasters);
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
  return static_cast<int>(
      std::count_if(prerendered_.begin(), prerendered_.end(),
                    [this](const Prerendered& raster) { return Pixels(raster) != nullptr; }));
}

QByteArray Image::SvgDocument() const {
  if (!svg_.isEmpty()) {
    return svg_;
  }
  QFile file(svgFile_);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QString& Image::Stamp() const {
  if (stamp_.isEmpty()) {
    stamp_ = SourceStamp(SvgDocument());
  }
  return stamp_;
}

const VectorPicture* Image::Vector() const {
  if (!parsed_) {
    parsed_ = true;
    vector_ = VectorPicture::Parse(SvgDocument());
    svg_ = QByteArray();
  }
  return vector_.get();
}

const QImage* Image::Pixels(const Prerendered& raster) const {
  if (!raster.checked) {
    raster.checked = true;
    raster.pixels = PictureCache::Decoded(raster.file, Stamp(), size_ * raster.scale);
  }
  return raster.pixels.isNull() ? nullptr : &raster.pixels;
}

const QImage* Image::NearestPixels(qreal scale) const {
  const Prerendered* nearest = nullptr;
  for (const Prerendered& raster : prerendered_) {
    if (raster.scale >= scale && (nearest == nullptr || raster.scale < nearest->scale) &&
        Pixels(raster) != nullptr) {
      nearest = &raster;
    }
  }
  if (nearest != nullptr) {
    return Pixels(*nearest);
  }
  for (const Prerendered& raster : prerendered_) {
    if ((nearest == nullptr || raster.scale > nearest->scale) && Pixels(raster) != nullptr) {
      nearest = &raster;
    }
  }
  return nearest != nullptr ? Pixels(*nearest) : nullptr;
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
  const QImage& raster = IsVector() ? RasterAt(scale) : raster_;
  const qreal sx = raster.width() / static_cast<qreal>(size_.width());
  const qreal sy = raster.height() / static_cast<qreal>(size_.height());
  const QRectF pixels(source.x() * sx, source.y() * sy, source.width() * sx, source.height() * sy);
  painter.save();
  painter.setOpacity(painter.opacity() * opacity);
  // Smoothing only where the pixels are resampled: a picture drawn pixel for pixel is copied
  // straight, which Qt does in one pass on this thread instead of filtering it in bands on its
  // thread pool.
  painter.setRenderHint(QPainter::SmoothPixmapTransform,
                        !PixelForPixel(painter.deviceTransform(), target, pixels));
  painter.drawImage(target, raster, pixels);
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
      if (const QImage* pixels = Pixels(raster)) {
        return *pixels;
      }
    }
  }
  if (const VectorPicture* vector = Vector()) {
    return vector->Render(pixelSize);
  }
  const QImage* nearest = NearestPixels(pixelSize.width() / static_cast<qreal>(size_.width()));
  return nearest != nullptr
             ? nearest->scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
             : QImage();
}

QIcon Image::ToIcon() const {
  QIcon icon;
  for (const Prerendered& raster : prerendered_) {
    if (const QImage* pixels = Pixels(raster)) {
      icon.addPixmap(QPixmap::fromImage(*pixels));
    }
  }
  if (!icon.isNull()) {
    return icon;
  }
  for (const int side : kIconSizes) {
    const QSize pixels = size_.scaled(side, side, Qt::KeepAspectRatio);
    if (const QImage rendered = Render(pixels); !rendered.isNull()) {
      icon.addPixmap(QPixmap::fromImage(rendered));
    }
  }
  return icon;
}

}  // namespace keyloom::ui

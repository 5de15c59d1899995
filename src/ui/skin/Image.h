#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <memory>
#include <utility>
#include <vector>

class QPainter;
class QSvgRenderer;

namespace keyloom::ui {

// A picture of the skin, SVG or raster. Its natural size is its size in pixels at 100 %; source
// rectangles are given in those pixels whatever the format. SVG pictures are rendered for the
// device they are drawn on (the device pixel ratio times the painter's scale), so that they stay
// crisp at 200 %; raster pictures are drawn as they are. Shared between the controls and skins
// that use it.
class Image {
 public:
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;
  ~Image();

  // An SVG document (recognised by its content) or any raster format Qt reads; nothing when
  // the bytes do not decode or the picture is empty.
  [[nodiscard]] static std::shared_ptr<const Image> Decode(const QByteArray& bytes);

  [[nodiscard]] static std::shared_ptr<const Image> FromImage(QImage image);

  [[nodiscard]] QSize Size() const { return size_; }
  [[nodiscard]] bool IsVector() const { return svg_ != nullptr; }

  // Draws the part `source` of the picture stretched into `target`, with the constant opacity
  // (0 to 1). Vector pictures are rendered at exactly the scale of the target.
  void Draw(QPainter& painter, const QRectF& target, const QRectF& source,
            qreal opacity = 1.0) const;

  // As Draw, but a vector picture is rendered only at the device's own scale (as if drawn at
  // its natural size) and then stretched like a raster one. For the stretched parts of a
  // nine-slice skin, whose corners must match the edges pixel for pixel.
  void DrawAtDeviceScale(QPainter& painter, const QRectF& target, const QRectF& source,
                         qreal opacity = 1.0) const;

  // The whole picture at `pixelSize`.
  [[nodiscard]] QImage Render(const QSize& pixelSize) const;

  // An icon with the picture at 16, 24, 32, 48 and 64 pixels (square, aspect kept).
  [[nodiscard]] QIcon ToIcon() const;

 private:
  Image(std::unique_ptr<QSvgRenderer> svg, QImage raster, QSize size);

  // The picture rendered at `scale` times its natural size; the last few are kept.
  const QImage& RasterAt(qreal scale) const;
  void DrawRaster(QPainter& painter, const QRectF& target, const QRectF& source, qreal opacity,
                  qreal scale) const;

  std::unique_ptr<QSvgRenderer> svg_;
  QImage raster_;
  QSize size_;
  mutable std::vector<std::pair<qreal, QImage>> cache_;
};

// The scale from the painter's logical coordinates to device pixels (painter transform times
// the device pixel ratio), along x and y.
[[nodiscard]] std::pair<qreal, qreal> DeviceScale(const QPainter& painter);

}  // namespace keyloom::ui

#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <memory>
#include <utility>
#include <vector>

#include "ui/skin/Prerendered.h"

class QPainter;

namespace keyloom::ui {

class VectorPicture;

// A picture of the skin, SVG or raster. Its natural size is its size in pixels at 100 %; source
// rectangles are given in those pixels whatever the format. SVG pictures are drawn for the device
// they are drawn on (the device pixel ratio times the painter's scale), so that they stay crisp at
// 200 %: from the rasters made ahead of time where one has exactly that scale, else rendered from
// the SVG (parsed at its first such use), else, in a build that draws no SVG, stretched from the
// nearest raster made ahead of time. Raster pictures are drawn as they are. Shared between the
// controls and skins that use it.
class Image {
 public:
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;
  ~Image();

  // An SVG document (recognised by its content) or any raster format Qt reads; nothing when the
  // bytes do not decode or the picture is empty. For an SVG read from the file `path`, the
  // rasters made from it ahead of time beside the file are used (those made from other bytes are
  // not), and the file is read again when the SVG itself is needed.
  [[nodiscard]] static std::shared_ptr<const Image> Decode(const QByteArray& bytes,
                                                           const QString& path = {});

  // The SVG picture in the file `path` with `facts` known of it ahead of time, drawn from the
  // rasters beside the file without reading it first; nothing when it has no such rasters.
  [[nodiscard]] static std::shared_ptr<const Image> FromRasters(const QString& path,
                                                                const PictureFacts& facts);

  [[nodiscard]] static std::shared_ptr<const Image> FromImage(const QImage& image);

  [[nodiscard]] QSize Size() const { return size_; }
  [[nodiscard]] bool IsVector() const { return isSvg_; }
  // How many of the rasters made ahead of time this picture draws from (each is checked, and
  // decoded, on the way).
  [[nodiscard]] int PrerenderedCount() const;

  // Draws the part `source` of the picture stretched into `target`, with the constant opacity
  // (0 to 1). Vector pictures are drawn at exactly the scale of the target.
  void Draw(QPainter& painter, const QRectF& target, const QRectF& source,
            qreal opacity = 1.0) const;

  // As Draw, but a vector picture is drawn only at the device's own scale (as if drawn at its
  // natural size) and then stretched like a raster one. For the stretched parts of a nine-slice
  // skin, whose corners must match the edges pixel for pixel.
  void DrawAtDeviceScale(QPainter& painter, const QRectF& target, const QRectF& source,
                         qreal opacity = 1.0) const;

  // The whole picture at `pixelSize`.
  [[nodiscard]] QImage Render(const QSize& pixelSize) const;

  // An icon with the picture at 16, 24, 32, 48 and 64 pixels (square, aspect kept); from the
  // rasters made ahead of time where they exist.
  [[nodiscard]] QIcon ToIcon() const;

 private:
  // A raster made ahead of time: its scale and file, and, from its first use, whether it was
  // made from this picture's SVG and its pixels if so.
  struct Prerendered {
    int scale;
    QString file;
    mutable bool checked;
    mutable QImage pixels;
  };

  Image(QByteArray svg, QString svgFile, QImage raster, QSize size);

  // The SVG picture in the file `path` that declares `declared`, drawn from the rasters beside
  // the file; nothing when there are none.
  static std::shared_ptr<Image> WithRasters(const QString& path, QSize declared);

  // The SVG document, parsed at the first call; nothing when this build draws no SVG.
  const VectorPicture* Vector() const;
  // The SVG document: kept until it is parsed, else read from its file.
  QByteArray SvgDocument() const;
  // The stamp of the SVG file, computed at the first call.
  const QString& Stamp() const;
  // The pixels of `raster`, or null when it was not made from this picture's SVG.
  const QImage* Pixels(const Prerendered& raster) const;
  // The pixels of the raster made ahead of time that suits `scale` best: the smallest at least as
  // large, else the largest; null when none can be used.
  const QImage* NearestPixels(qreal scale) const;
  // The picture at `scale` times its natural size; the last few renderings are kept.
  const QImage& RasterAt(qreal scale) const;
  void DrawRaster(QPainter& painter, const QRectF& target, const QRectF& source, qreal opacity,
                  qreal scale) const;

  bool isSvg_;
  // The SVG document until it is parsed, or the file it is then read from when rasters made
  // ahead of time stand for it until it is needed.
  mutable QByteArray svg_;
  QString svgFile_;
  mutable QString stamp_;
  QImage raster_;
  QSize size_;
  std::vector<Prerendered> prerendered_;
  mutable std::unique_ptr<VectorPicture> vector_;
  mutable bool parsed_ = false;
  mutable std::vector<std::pair<qreal, QImage>> cache_;
};

// The scale from the painter's logical coordinates to device pixels (painter transform times
// the device pixel ratio), along x and y.
[[nodiscard]] std::pair<qreal, qreal> DeviceScale(const QPainter& painter);

}  // namespace keyloom::ui

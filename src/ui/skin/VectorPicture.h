#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <memory>

namespace keyloom::ui {

// An SVG document, parsed once and rendered at any size. The program and the tool that makes the
// skin's rasters at build time render through this one class, so that a raster made ahead of
// time is the picture the program would have drawn. A build without Qt Svg has no vector
// pictures: Parse always gives nothing, and the skin is drawn from its rasters alone.
class VectorPicture {
 public:
  VectorPicture(const VectorPicture&) = delete;
  VectorPicture& operator=(const VectorPicture&) = delete;
  ~VectorPicture();

  // Nothing when the bytes are not a valid SVG document with a size, or when this build draws
  // no SVG.
  [[nodiscard]] static std::unique_ptr<VectorPicture> Parse(const QByteArray& bytes);

  // The size the document declares, in pixels at 100 %.
  [[nodiscard]] QSize DefaultSize() const;

  // The whole picture at `pixels`, antialiased, on a transparent background
  // (ARGB32_Premultiplied).
  [[nodiscard]] QImage Render(const QSize& pixels) const;

 private:
  struct Document;
  explicit VectorPicture(std::unique_ptr<Document> document);

  std::unique_ptr<Document> document_;
};

}  // namespace keyloom::ui

#include <QPainter>
#include <QSvgRenderer>

#include "ui/skin/VectorPicture.h"

namespace keyloom::ui {

struct VectorPicture::Document {
  QSvgRenderer renderer;
};

VectorPicture::VectorPicture(std::unique_ptr<Document> document) : document_(std::move(document)) {}

VectorPicture::~VectorPicture() = default;

std::unique_ptr<VectorPicture> VectorPicture::Parse(const QByteArray& bytes) {
  auto document = std::make_unique<Document>();
  if (!document->renderer.load(bytes) || document->renderer.defaultSize().isEmpty()) {
    return nullptr;
  }
  return std::unique_ptr<VectorPicture>(new VectorPicture(std::move(document)));
}

QSize VectorPicture::DefaultSize() const {
  return document_->renderer.defaultSize();
}

QImage VectorPicture::Render(const QSize& pixels) const {
  QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  document_->renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
  return image;
}

}  // namespace keyloom::ui

#include "ui/skin/VectorPicture.h"

namespace keyloom::ui {

// This build draws no SVG (it has no Qt Svg): the skin's pictures come from the rasters made at
// build time.
struct VectorPicture::Document {};

VectorPicture::VectorPicture(std::unique_ptr<Document> document) : document_(std::move(document)) {}

VectorPicture::~VectorPicture() = default;

std::unique_ptr<VectorPicture> VectorPicture::Parse(const QByteArray& /*bytes*/) {
  return nullptr;
}

QSize VectorPicture::DefaultSize() const {
  return {};
}

QImage VectorPicture::Render(const QSize& /*pixels*/) const {
  return {};
}

}  // namespace keyloom::ui

#include "ui/skin/Prerendered.h"

#include <QCryptographicHash>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include "ui/skin/VectorPicture.h"

namespace keyloom::ui {

namespace {

constexpr QLatin1StringView kSourceKey("Keyloom-Source");
constexpr QLatin1StringView kSvgSuffix(".svg");

}  // namespace

QString PrerenderedPath(const QString& svgPath, int scale) {
  if (!svgPath.endsWith(kSvgSuffix, Qt::CaseInsensitive)) {
    return {};
  }
  return svgPath.chopped(kSvgSuffix.size()) + QStringLiteral("@%1x.png").arg(scale);
}

QString SourceStamp(const QByteArray& svg) {
  return QString::fromLatin1(QCryptographicHash::hash(svg, QCryptographicHash::Sha1).toHex());
}

std::optional<QSize> PrerenderedSize(const QString& pngPath, const QString& stamp) {
  QImageReader reader(pngPath, "png");
  const QSize size = reader.size();
  if (!reader.canRead() || size.isEmpty() || reader.text(kSourceKey) != stamp) {
    return std::nullopt;
  }
  return size;
}

std::optional<QString> WritePrerendered(const VectorPicture& picture, const QByteArray& svg,
                                        const QString& svgPath) {
  const QString stamp = SourceStamp(svg);
  for (const int scale : kPrerenderedScales) {
    QImage raster = picture.Render(picture.DefaultSize() * scale);
    raster.setText(kSourceKey, stamp);
    const QString path = PrerenderedPath(svgPath, scale);
    QImageWriter writer(path, "png");
    if (path.isEmpty() || !writer.write(raster)) {
      return path.isEmpty() ? svgPath : path;
    }
  }
  return std::nullopt;
}

}  // namespace keyloom::ui

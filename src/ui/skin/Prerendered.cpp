#include "ui/skin/Prerendered.h"

#include <QCryptographicHash>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QXmlStreamReader>

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

std::optional<QSize> DeclaredSize(const QByteArray& svg) {
  QXmlStreamReader reader(svg);
  if (!reader.readNextStartElement() || reader.name() != QLatin1StringView("svg")) {
    return std::nullopt;
  }
  const auto side = [&reader](QLatin1StringView name) {
    QStringView text = reader.attributes().value(name).trimmed();
    if (text.endsWith(QLatin1StringView("px"))) {
      text.chop(2);
    }
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value > 0 ? value : 0;
  };
  const QSize size(side(QLatin1StringView("width")), side(QLatin1StringView("height")));
  return size.isEmpty() ? std::nullopt : std::optional<QSize>(size);
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

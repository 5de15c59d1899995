#include "ui/skin/Prerendered.h"

#include <QCryptographicHash>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QXmlStreamReader>
#include <algorithm>

#include "ui/skin/VectorPicture.h"

namespace keyloom::ui {

namespace {

constexpr QLatin1StringView kSourceKey("Keyloom-Source");
constexpr QLatin1StringView kSvgSuffix(".svg");
// Where an SVG document's root element usually starts.
constexpr qsizetype kHead = 4096;

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
  // The root's start tag is read from the document's head where it is there: the reader decodes
  // all it is given at once, and a keyboard picture is some 80 KB.
  QXmlStreamReader reader(QByteArray::fromRawData(svg.constData(), std::min(svg.size(), kHead)));
  if (!reader.readNextStartElement() && svg.size() > kHead) {
    reader.clear();
    reader.addData(svg);
    reader.readNextStartElement();
  }
  if (!reader.isStartElement() || reader.name() != QLatin1StringView("svg")) {
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

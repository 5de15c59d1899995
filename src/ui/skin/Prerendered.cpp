#include "ui/skin/Prerendered.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QXmlStreamReader>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>

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

std::optional<FileStamp> ReadFileStamp(const QString& path) {
  const std::filesystem::path native(path.toStdU16String());
  std::error_code error;
  const std::uintmax_t bytes = std::filesystem::file_size(native, error);
  if (error) {
    return std::nullopt;
  }
  const std::filesystem::file_time_type written = std::filesystem::last_write_time(native, error);
  if (error) {
    return std::nullopt;
  }
  const auto sinceEpoch = std::chrono::file_clock::to_sys(written).time_since_epoch();
  return FileStamp{static_cast<qint64>(bytes),
                   std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count()};
}

RasterIndex RasterIndex::Read(const QString& folder) {
  RasterIndex index;
  const QString listPath = QDir(folder).filePath(QLatin1StringView(kRasterIndexName));
  const std::optional<FileStamp> stamp = ReadFileStamp(listPath);
  QFile file(listPath);
  if (!stamp || !file.open(QIODevice::ReadOnly)) {
    return index;
  }
  index.folder_ = folder;
  index.writtenMs_ = stamp->writtenMs;
  for (const QByteArray& line : file.readAll().split('\n')) {
    const QList<QByteArray> fields = line.split(' ');
    if (fields.size() < 5) {
      continue;
    }
    bool bytesRead = false;
    bool widthRead = false;
    bool heightRead = false;
    Entry entry{fields[0].toLongLong(&bytesRead),
                {QSize(fields[1].toInt(&widthRead), fields[2].toInt(&heightRead)),
                 QString::fromLatin1(fields[3])}};
    // The path is the rest of the line, spaces and all.
    const qsizetype pathStart =
        fields[0].size() + fields[1].size() + fields[2].size() + fields[3].size() + 4;
    const QString path = QString::fromUtf8(line.mid(pathStart));
    if (bytesRead && widthRead && heightRead && !entry.facts.declared.isEmpty() &&
        !path.isEmpty()) {
      index.entries_.insert_or_assign(path, std::move(entry));
    }
  }
  return index;
}

QByteArray RasterIndex::Line(const QString& path, const QByteArray& svg) {
  const std::optional<QSize> declared = DeclaredSize(svg);
  if (!declared) {
    return {};
  }
  return QByteArray::number(svg.size()) + ' ' + QByteArray::number(declared->width()) + ' ' +
         QByteArray::number(declared->height()) + ' ' + SourceStamp(svg).toLatin1() + ' ' +
         path.toUtf8() + '\n';
}

std::optional<PictureFacts> RasterIndex::Find(const QString& path) const {
  const auto found = entries_.find(path);
  if (found == entries_.end()) {
    return std::nullopt;
  }
  const std::optional<FileStamp> svg = ReadFileStamp(QDir(folder_).filePath(path));
  if (!svg || svg->bytes != found->second.bytes || svg->writtenMs > writtenMs_) {
    return std::nullopt;
  }
  return found->second.facts;
}

}  // namespace keyloom::ui

#include "ui/skin/PictureCache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <array>
#include <cstring>
#include <memory>

#include "ui/skin/Prerendered.h"

namespace keyloom::ui {

namespace {

// An entry: this header (the tag, the version, the width and the height, 4 bytes each, in the
// machine's order), then the rows of premultiplied ARGB32 pixels without padding.
constexpr std::array<char, 8> kTag = {'K', 'L', 'P', 'X', 1, 0, 0, 0};
constexpr qint64 kHeaderSize = 16;

QString& Folder() {
  static QString folder;
  return folder;
}

std::array<char, kHeaderSize> Header(QSize size) {
  std::array<char, kHeaderSize> header{};
  const std::array<std::uint32_t, 2> sides = {static_cast<std::uint32_t>(size.width()),
                                              static_cast<std::uint32_t>(size.height())};
  std::memcpy(header.data(), kTag.data(), kTag.size());
  std::memcpy(header.data() + kTag.size(), sides.data(), sizeof(sides));
  return header;
}

QString EntryName(const QString& png, const QString& stamp, QSize size) {
  const QFileInfo file(png);
  return QStringLiteral("%1-%2x%3-%4-%5.argb")
      .arg(stamp)
      .arg(size.width())
      .arg(size.height())
      .arg(file.size())
      .arg(file.lastModified().toMSecsSinceEpoch());
}

// The entry mapped into memory, or a null image.
QImage Load(const QString& path, QSize size) {
  auto file = std::make_unique<QFile>(path);
  const qint64 bytes = kHeaderSize + qint64{4} * size.width() * size.height();
  if (!file->open(QIODevice::ReadOnly) || file->size() != bytes) {
    return {};
  }
  const uchar* data = file->map(0, bytes);
  const std::array<char, kHeaderSize> header = Header(size);
  if (data == nullptr || std::memcmp(data, header.data(), header.size()) != 0) {
    return {};
  }
  // The image owns the file, whose mapping ends with it.
  return QImage(
      data + kHeaderSize, size.width(), size.height(), qsizetype{4} * size.width(),
      QImage::Format_ARGB32_Premultiplied, [](void* owned) { delete static_cast<QFile*>(owned); },
      file.release());
}

void Store(const QDir& folder, const QString& name, const QImage& pixels) {
  if (!folder.mkpath(QStringLiteral("."))) {
    return;
  }
  QSaveFile file(folder.filePath(name));
  if (!file.open(QIODevice::WriteOnly)) {
    return;
  }
  const std::array<char, kHeaderSize> header = Header(pixels.size());
  file.write(header.data(), kHeaderSize);
  for (int row = 0; row < pixels.height(); ++row) {
    file.write(reinterpret_cast<const char*>(pixels.constScanLine(row)),
               qint64{4} * pixels.width());
  }
  if (!file.commit()) {
    return;
  }
  const QFileInfoList entries =
      folder.entryInfoList({QStringLiteral("*.argb")}, QDir::Files, QDir::Time);
  for (qsizetype i = PictureCache::kKeptEntries; i < entries.size(); ++i) {
    QFile::remove(entries[i].filePath());
  }
}

}  // namespace

void PictureCache::SetFolder(const QString& folder) {
  Folder() = folder;
}

QImage PictureCache::Decoded(const QString& png, const QString& stamp, QSize size) {
  const bool kept = !Folder().isEmpty();
  const QDir folder(Folder());
  const QString name = kept ? EntryName(png, stamp, size) : QString();
  if (kept) {
    if (QImage cached = Load(folder.filePath(name), size); !cached.isNull()) {
      return cached;
    }
  }
  if (PrerenderedSize(png, stamp) != size) {
    return {};
  }
  QImage pixels = QImage(png, "png").convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (pixels.size() != size) {
    return {};
  }
  if (kept) {
    Store(folder, name, pixels);
  }
  return pixels;
}

}  // namespace keyloom::ui

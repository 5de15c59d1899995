#include "ui/skin/PictureCache.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "ui/skin/Prerendered.h"

namespace keyloom::ui {

namespace {

// An entry: this header (the tag with the version and the pixel format, then the width and the
// height, 4 bytes each, in the machine's order), then the rows of pixels, each padded to whole
// 32-bit words as the image's rows are: premultiplied ARGB, or, for a picture without a
// transparent pixel, 24-bit RGB, a quarter less memory for the largest pictures (the window's
// background), which are opaque.
constexpr std::array<char, 5> kTag = {'K', 'L', 'P', 'X', 3};
constexpr qint64 kHeaderSize = 16;
constexpr qsizetype kFormatByte = kTag.size();

enum class Pixels : char { kArgb = 0, kRgb = 1 };

QImage::Format ImageFormat(Pixels format) {
  return format == Pixels::kRgb ? QImage::Format_RGB888 : QImage::Format_ARGB32_Premultiplied;
}

qsizetype BytesPerLine(Pixels format, int width) {
  const qsizetype bytesPerPixel = format == Pixels::kRgb ? 3 : 4;
  return (bytesPerPixel * width + 3) / 4 * 4;
}

QString& Folder() {
  static QString folder;
  return folder;
}

std::array<char, kHeaderSize> Header(Pixels format, QSize size) {
  std::array<char, kHeaderSize> header{};
  const std::array<std::uint32_t, 2> sides = {static_cast<std::uint32_t>(size.width()),
                                              static_cast<std::uint32_t>(size.height())};
  std::memcpy(header.data(), kTag.data(), kTag.size());
  header[kFormatByte] = static_cast<char>(format);
  std::memcpy(header.data() + 8, sides.data(), sizeof(sides));
  return header;
}

// Empty when the PNG cannot be read.
QString EntryName(const QString& png, const QString& stamp, QSize size) {
  const std::optional<FileStamp> file = ReadFileStamp(png);
  if (!file) {
    return {};
  }
  return QStringLiteral("%1-%2x%3-%4-%5.argb")
      .arg(stamp)
      .arg(size.width())
      .arg(size.height())
      .arg(file->bytes)
      .arg(file->writtenMs);
}

// The entry mapped into memory, or a null image.
QImage Load(const QString& path, QSize size) {
  auto file = std::make_unique<QFile>(path);
  if (!file->open(QIODevice::ReadOnly) || file->size() < kHeaderSize) {
    return {};
  }
  const uchar* data = file->map(0, file->size());
  if (data == nullptr) {
    return {};
  }
  const auto format = static_cast<Pixels>(data[kFormatByte]);
  const std::array<char, kHeaderSize> header = Header(format, size);
  const qsizetype bytesPerLine = BytesPerLine(format, size.width());
  if ((format != Pixels::kArgb && format != Pixels::kRgb) ||
      std::memcmp(data, header.data(), header.size()) != 0 ||
      file->size() != kHeaderSize + bytesPerLine * size.height()) {
    return {};
  }
  // The image owns the file, whose mapping ends with it.
  return {data + kHeaderSize,  size.width(),
          size.height(),       bytesPerLine,
          ImageFormat(format), [](void* owned) { delete static_cast<QFile*>(owned); },
          file.release()};
}

// Removes the oldest entries beyond PictureCache::kKeptEntries. Each entry's time is read once:
// sorting by QFileInfo's times looks up the time zone at every comparison, tens of thousands of
// times over a full folder.
void Prune(const QDir& folder) {
  const QStringList names = folder.entryList({QStringLiteral("*.argb")}, QDir::Files);
  if (names.size() <= PictureCache::kKeptEntries) {
    return;
  }
  std::vector<std::pair<qint64, QString>> entries;
  for (const QString& name : names) {
    const QString path = folder.filePath(name);
    if (const std::optional<FileStamp> stamp = ReadFileStamp(path)) {
      entries.emplace_back(stamp->writtenMs, path);
    }
  }
  std::sort(entries.begin(), entries.end(), std::greater<>());
  for (auto i = static_cast<std::size_t>(PictureCache::kKeptEntries); i < entries.size(); ++i) {
    QFile::remove(entries[i].second);
  }
}

void Store(const QDir& folder, const QString& name, Pixels format, const QImage& pixels) {
  if (!folder.mkpath(QStringLiteral("."))) {
    return;
  }
  QSaveFile file(folder.filePath(name));
  if (!file.open(QIODevice::WriteOnly)) {
    return;
  }
  const std::array<char, kHeaderSize> header = Header(format, pixels.size());
  file.write(header.data(), kHeaderSize);
  for (int row = 0; row < pixels.height(); ++row) {
    file.write(reinterpret_cast<const char*>(pixels.constScanLine(row)),
               BytesPerLine(format, pixels.width()));
  }
  if (!file.commit()) {
    return;
  }
  Prune(folder);
}

bool Opaque(const QImage& pixels) {
  for (int row = 0; row < pixels.height(); ++row) {
    const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(row));
    for (int column = 0; column < pixels.width(); ++column) {
      if (qAlpha(line[column]) != 255) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

void PictureCache::SetFolder(const QString& folder) {
  Folder() = folder;
}

QImage PictureCache::Decoded(const QString& png, const QString& stamp, QSize size) {
  const QDir folder(Folder());
  const QString name = Folder().isEmpty() ? QString() : EntryName(png, stamp, size);
  const bool kept = !name.isEmpty();
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
  const Pixels format = Opaque(pixels) ? Pixels::kRgb : Pixels::kArgb;
  if (format == Pixels::kRgb) {
    pixels = pixels.convertToFormat(ImageFormat(format));
  }
  if (kept) {
    Store(folder, name, format, pixels);
  }
  return pixels;
}

}  // namespace keyloom::ui

#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <array>
#include <map>
#include <optional>

namespace keyloom::ui {

class VectorPicture;

// The rasters of a skin's SVG picture, made ahead of time by the build: "NAME@1x.png" and
// "NAME@2x.png" beside "NAME.svg", at one and two times the picture's size. Each carries, under
// the PNG text key "Keyloom-Source", the SHA-1 of the SVG it was made from, so that a picture
// edited afterwards is never drawn from stale rasters. Drawing from them spares the start the
// parsing and rendering of the SVG, and lets a build without Qt Svg draw the skin.
inline constexpr std::array<int, 2> kPrerenderedScales = {1, 2};

// "DIR/NAME@<scale>x.png" for "DIR/NAME.svg" (the suffix in any case); empty for other files.
[[nodiscard]] QString PrerenderedPath(const QString& svgPath, int scale);

// The stamp that ties a raster to the SVG bytes it was made from.
[[nodiscard]] QString SourceStamp(const QByteArray& svg);

// The size an SVG document declares with whole-pixel "width" and "height" attributes on its root
// element ("px" or no unit), read without parsing the document; nothing for any other.
[[nodiscard]] std::optional<QSize> DeclaredSize(const QByteArray& svg);

// The size of the PNG file `pngPath` when it was made from the SVG with `stamp`; read from the
// file's header alone, without decoding its pixels. Nothing for a missing file or any other.
[[nodiscard]] std::optional<QSize> PrerenderedSize(const QString& pngPath, const QString& stamp);

// Renders `picture` (parsed from `svg`, the bytes of the file `svgPath`) at every scale of
// kPrerenderedScales and writes the rasters beside that file; the file it could not write, or
// nothing.
[[nodiscard]] std::optional<QString> WritePrerendered(const VectorPicture& picture,
                                                      const QByteArray& svg,
                                                      const QString& svgPath);

// A file's size in bytes and the time it was last written, in milliseconds since the Unix epoch
// (what QFileInfo tells, without the time zone it looks up for every file); nothing for a file
// that cannot be read.
struct FileStamp {
  qint64 bytes = 0;
  qint64 writtenMs = 0;
};
[[nodiscard]] std::optional<FileStamp> ReadFileStamp(const QString& path);

// What the build knows of the SVG pictures of a skin folder, in the file kRasterIndexName at the
// folder's root, written with their rasters: one line per picture, "BYTES WIDTH HEIGHT STAMP
// PATH" (the SVG's size in bytes, the size it declares, its stamp, and its path from the root,
// with '/'). The start takes a picture's size and stamp from there instead of reading its SVG, as
// long as the SVG still has as many bytes and is not newer than the list: a picture edited after
// the build is read as before.
inline constexpr char kRasterIndexName[] = "rasters.idx";

struct PictureFacts {
  QSize declared;
  QString stamp;
};

class RasterIndex {
 public:
  // The list of the skin folder `folder`: empty when the folder has none or it does not read.
  [[nodiscard]] static RasterIndex Read(const QString& folder);

  // The line for the SVG document `svg`, at `path` from the folder's root; empty when it
  // declares no size.
  [[nodiscard]] static QByteArray Line(const QString& path, const QByteArray& svg);

  // The facts of the picture at `path` from the folder's root, while they hold for its file.
  [[nodiscard]] std::optional<PictureFacts> Find(const QString& path) const;

 private:
  struct Entry {
    qint64 bytes = 0;
    PictureFacts facts;
  };

  QString folder_;
  qint64 writtenMs_ = 0;
  std::map<QString, Entry> entries_;
};

}  // namespace keyloom::ui

#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace keyloom::ui {

// The skin's rasters, decoded once and kept as raw pixels in the user's cache folder, so that the
// next start maps them from the files instead of decoding the PNGs again (a tenth of the time). An
// entry is named after what it was decoded from (the SVG's stamp, the scale, the PNG file's size
// and time), so a rebuilt or edited skin never meets an old entry; an entry that does not hold a
// whole picture of the size asked for is ignored and written again. The folder keeps the most
// recent entries only. Without a folder (the default) nothing is kept.
class PictureCache {
 public:
  // How many entries the folder keeps (the skin's pictures at both scales, and some to spare);
  // the oldest go first.
  static constexpr int kKeptEntries = 200;

  static void SetFolder(const QString& folder);

  // The picture decoded from `png`, made ahead of time from the SVG with `stamp`, at `size`
  // (premultiplied ARGB, or 24-bit RGB where no pixel is transparent): from the cache where it is
  // there, else decoded and then kept; a null image when the PNG was made from another SVG or
  // does not decode to that size.
  [[nodiscard]] static QImage Decoded(const QString& png, const QString& stamp, QSize size);
};

}  // namespace keyloom::ui

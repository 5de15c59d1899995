#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <array>
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

}  // namespace keyloom::ui

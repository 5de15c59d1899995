#pragma once

#include <QRect>
#include <QString>
#include <cstdint>
#include <string_view>
#include <vector>

#include "controls/CoordButton.h"

namespace pugi {
class xml_document;
}

namespace keyloom::controls {

// The key coordinate file: a document element `positions` whose child elements are the keys, in
// order (their element names are not looked at), with the attributes
//   id     decimal key code, read as pugixml reads integers; -1 when absent or empty
//   name   display name
//   color  hexadecimal 0xAABBGGRR; blanks and "#" are removed first, "0x" may lead
//   rect   "x,y,width,height" in the picture's pixels; blanks are removed first
// Other attributes are ignored.

// The colour that keys without a "color" get: opaque white.
inline constexpr std::uint32_t kDefaultKeyColor = 0xFFFFFFFF;

// A "color" value: the leading hexadecimal digits after the blanks, "#" and an optional "0x"
// are dropped; `fallback` when there is no digit or the value does not fit 32 bits. "#FF0000"
// is 0x00FF0000: its alpha is 0, so it is not seen.
[[nodiscard]] std::uint32_t ParseKeyColor(std::string_view text, std::uint32_t fallback);

// A "rect" value: up to four comma-separated integers x, y, width, height after the blanks are
// removed; reading stops at the first that is missing or does not read (or is beyond
// kMaxKeyCoordinate), and the rest stay 0. A negative width or height gives an empty key.
inline constexpr int kMaxKeyCoordinate = 1 << 20;
[[nodiscard]] QRect ParseKeyRect(std::string_view text);

// The keys of a parsed file, flags cleared; none without a `positions` element.
[[nodiscard]] std::vector<CoordButton> ReadCoordButtons(const pugi::xml_document& document,
                                                        std::uint32_t defaultColor);
// The keys of the file at `path`; none when it cannot be read or parsed.
[[nodiscard]] std::vector<CoordButton> LoadCoordButtons(const QString& path,
                                                        std::uint32_t defaultColor);

// Where the file named `setting` lies: always inside `appDir` (the program's folder, without a
// trailing separator), joined with one separator; a leading "/" or "\" is the separator.
// Backslashes become "/", which every platform takes.
[[nodiscard]] QString CoordFilePath(const QString& appDir, const QString& setting);

}  // namespace keyloom::controls

#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "keymap/KeyMap.h"
#include "storage/LoadResult.h"

// The key map file format, version 1, in which Keyloom keeps what the keyboard holds and writes
// backups of the whole keyboard (docs/keymap-format.md describes it for people). As written,
// one element per line, indented by one tab per level:
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <keymap version="1" vid="258a" pid="002a" activeProfile="1" ledMode="3">
//     <profile number="1">
//       <macro slot="1" key="62" kind="macro" name="Copy" repeat="2" events="0454 04a8" />
//       <macro slot="2" key="5" kind="chord" name="Copy" repeat="1"
//              events="e045 0645 0681 e081" codes="224,6" />
//       <remap slot="1" key="4" kind="key" target="5" />
//       <remap slot="2" key="6" kind="media" name="Mute" target="239" />
//       <remap slot="3" key="57" kind="unknown" />
//     </profile>
//     <profile number="2" />
//     <profile number="3" />
//     <lighting mode="3" record="0502000200" />
//   </keymap>
//
// Reading is tolerant of what it does not know and strict about what it does: elements and
// attributes of other names are ignored, while a value out of its range, a slot or key given
// twice in a half, or a version above 1 refuses the whole file, so that nothing is sent to the
// keyboard from a file that is not what it seems.
namespace keyloom::keymap {

inline constexpr int kKeyMapFormatVersion = 1;

// The keyboard model a key map belongs to: the vendor and product id of the configured keyboard.
struct KeyboardModel {
  std::int32_t vendorId = 0;
  std::int32_t productId = 0;

  friend bool operator==(const KeyboardModel&, const KeyboardModel&) = default;
};

// A key map file as read.
struct KeyMapDocument {
  KeyMap map;
  // The profiles the file lists; what it says of the others is nothing.
  std::array<bool, kProfileCount> listed{};
  // The model the file names, when it names one ("vid" and "pid").
  std::optional<KeyboardModel> model;
};

// Reads a key map file, the encoding detected from the bytes. kLoaded, or kMalformed with the
// reason ("not well-formed XML (...)", "not a key map that Keyloom reads: ..."), in which case
// `document` is unchanged.
[[nodiscard]] storage::LoadResult ParseKeyMap(std::string_view bytes, KeyMapDocument& document);

// The map in the file format, every profile listed.
[[nodiscard]] std::string KeyMapToXml(const KeyMap& map, const KeyboardModel& model);

}  // namespace keyloom::keymap

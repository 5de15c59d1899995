#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/KeyAssignmentRecord.h"
#include "protocol/KeyEvent.h"
#include "protocol/KeySlotTable.h"

namespace keyloom::keymap {

// What Keyloom put on a key, as the user chose it.
enum class ContentKind {
  kMacro,      // a group of the macro library, played `repeat` times (a macro slot)
  kChord,      // a function-key chord of the configuration (a macro slot)
  kSingleKey,  // another key (a remap slot)
  kMediaKey,   // a media key of the configuration (a remap slot)
  kUnknown,    // the keyboard holds the key, but not as far as Keyloom knows what it does
};

// The half of the slot table a kind of content lives in; kUnknown has none of its own and is
// placed by the slot it was found in.
[[nodiscard]] protocol::KeySlotTable::Half HalfOf(ContentKind kind);

// What a key does, as Keyloom sent it there.
struct KeyContent {
  ContentKind kind = ContentKind::kUnknown;
  // kMacro: the group's name at the time; kChord and kMediaKey: the catalogue entry's name.
  std::string name;
  // kMacro and kChord: the repeat count (1-255) and the events as sent, up to the last one that
  // is not all zero; the record's bytes after them are 0.
  std::uint8_t repeat = 0;
  std::vector<protocol::KeyEvent> events;
  // kSingleKey and kMediaKey: the key code the key sends.
  std::uint8_t target = 0;
  // kChord: the catalogue entry's codes.
  std::vector<std::int32_t> codes;

  // The record that gives a key this content, bytes 0-2 of a macro record (profile, slot, key)
  // left 0 for the sequence to fill in. All zero for kUnknown. Every assignment's record is made
  // here.
  [[nodiscard]] protocol::KeyAssignmentRecord Record() const;

  // Whether a key with either content does the same on the keyboard: the same record bytes,
  // whatever the names.
  [[nodiscard]] bool SameOnKeyboard(const KeyContent& other) const;

  friend bool operator==(const KeyContent&, const KeyContent&) = default;
};

}  // namespace keyloom::keymap

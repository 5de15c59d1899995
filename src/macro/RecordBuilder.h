#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "macro/MacroNode.h"
#include "protocol/KeyAssignmentRecord.h"
#include "protocol/SelectedKeys.h"
#include "settings/KeyCatalogEntry.h"

// What the key assignment dialog hands back on OK, for each of its four pages, as pure
// functions of the choices. Every record starts all zero, and an all-zero record (key code 0)
// means that no valid choice was made: the keyboard is then sent nothing.
//
// Nothing is ever written past the record's 82 events, and a shortened macro never leaves a key
// held down:
// - a macro group of more than 82 events keeps its events in order for as long as there is room
//   left to release every key that is still down at that point; releases of those keys follow,
//   the last pressed first, each with the shortest pause;
// - a chord of more than 41 codes uses its first 41 (41 presses and 41 releases).
// `shortened` then tells the caller, who warns the user.
namespace keyloom::macro {

struct BuiltRecord {
  protocol::KeyAssignmentRecord record;
  bool shortened = false;
  // Events of the group, or codes of the chord, that went into the record, and how many there
  // were.
  std::size_t used = 0;
  std::size_t available = 0;
  // The events written into the record.
  std::size_t events = 0;
};

// The flags of the chord's events: each press followed by a 500 ms pause (delay unit 2, count 5),
// each release by the shortest pause (unit 0, count 1); the releases a shortened macro gets are
// of the second kind too.
inline constexpr std::uint8_t kChordPressFlags = 0x45;
inline constexpr std::uint8_t kQuickReleaseFlags = 0x81;

// The most codes of a chord that fit: a press and a release each.
inline constexpr std::size_t kMaxChordCodes = protocol::KeyAssignmentRecord::kMaxEvents / 2;

// Macro page: key code = the first selected key's, repeat count = low 8 bits of `repeat`, then
// the group's events: low 8 bits of "code"; a release when "state" reads as nonzero; the delay
// of "delay" read as a decimal integer (text that is not a number counts as 0). A repeat whose
// low 8 bits are 0 gives a record that the keyboard takes as a remap of the key to itself.
// Without a group or a selected key nothing is chosen.
[[nodiscard]] BuiltRecord BuildMacroRecord(const protocol::SelectedKeys& keys, std::int32_t repeat,
                                           const MacroNode* group);

// Single-key page: the key sends `usage` (0: nothing was captured, nothing chosen).
[[nodiscard]] BuiltRecord BuildSingleKeyRecord(std::uint8_t usage);

// Media-key page: the key sends the low 8 bits of the first code of the selected entry. A
// selection outside the catalogue, or an entry without codes, chooses nothing.
[[nodiscard]] BuiltRecord BuildMediaKeyRecord(
    const std::vector<settings::KeyCatalogEntry>& mediaKeys, std::int32_t selection);

// Function-key page: the first selected key plays the selected entry's codes c0 ... cn-1 as a
// chord, once (repeat count 1): presses of c0 ... cn-1 in order, releases of c1 ... cn-1, then
// the release of c0, so that the first code is held until all others are released. A selection
// outside the catalogue, an entry without codes or no selected key chooses nothing.
[[nodiscard]] BuiltRecord BuildChordRecord(
    const protocol::SelectedKeys& keys, const std::vector<settings::KeyCatalogEntry>& functionKeys,
    std::int32_t selection);

}  // namespace keyloom::macro

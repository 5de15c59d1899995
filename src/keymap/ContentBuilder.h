#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "keymap/KeyContent.h"
#include "macro/MacroLibrary.h"
#include "macro/MacroNode.h"
#include "protocol/KeyAssignmentRecord.h"
#include "settings/KeyCatalogEntry.h"

// What a key is given for each kind of choice, as pure functions of the choice: the key
// assignment dialog's four pages and keyloomctl's assign and remap build it here alike. The
// content carries the names the user chose by (the group's, the catalogue entry's) and the
// events or the target key; KeyContent::Record() makes the record's bytes of it.
//
// Nothing is ever given past the record's 82 events, and a shortened macro never leaves a key
// held down:
// - a macro group of more than 82 events keeps its events in order for as long as there is room
//   left to release every key that is still down at that point; releases of those keys follow,
//   the last pressed first, each with the shortest pause;
// - a chord of more than 41 codes uses its first 41 (41 presses and 41 releases).
// `shortened` then tells the caller, who warns the user.
namespace keyloom::keymap {

struct BuiltContent {
  // None: the choice gives the key nothing (no group, no key, an entry without codes).
  std::optional<KeyContent> content;
  bool shortened = false;
  // Events of the group, or codes of the chord, that went into the content, and how many there
  // were.
  std::size_t used = 0;
  std::size_t available = 0;
};

// The flags of the chord's events: each press followed by a 500 ms pause (delay unit 2, count 5),
// each release by the shortest pause (unit 0, count 1); the releases a shortened macro gets are
// of the second kind too.
inline constexpr std::uint8_t kChordPressFlags = 0x45;
inline constexpr std::uint8_t kQuickReleaseFlags = 0x81;

// The most codes of a chord that fit: a press and a release each.
inline constexpr std::size_t kMaxChordCodes = protocol::KeyAssignmentRecord::kMaxEvents / 2;

// Macro page: the group, named by its name, played the low 8 bits of `repeat` times, with the
// group's events: low 8 bits of "code"; a release when "state" reads as nonzero; the delay of
// "delay" read as a decimal integer (text that is not a number counts as 0). A repeat whose low
// 8 bits are 0 gives a macro that plays never, whose record names nothing. Without a group
// nothing is chosen.
[[nodiscard]] BuiltContent MacroContent(const macro::MacroNode* group, std::int32_t repeat);

// Single-key page: the key sends `usage` (0: nothing was captured, nothing chosen).
[[nodiscard]] BuiltContent SingleKeyContent(std::uint8_t usage);

// Media-key page: the key sends the low 8 bits of the first code of the selected entry. A
// selection outside the catalogue, or an entry without codes, chooses nothing.
[[nodiscard]] BuiltContent MediaKeyContent(const std::vector<settings::KeyCatalogEntry>& mediaKeys,
                                           std::int32_t selection);

// Function-key page: the key plays the selected entry's codes c0 ... cn-1 as a chord, once
// (repeat count 1): presses of c0 ... cn-1 in order, releases of c1 ... cn-1, then the release
// of c0, so that the first code is held until all others are released. A selection outside the
// catalogue or an entry without codes chooses nothing.
[[nodiscard]] BuiltContent ChordContent(const std::vector<settings::KeyCatalogEntry>& functionKeys,
                                        std::int32_t selection);

// Whether `content`, a macro, is no longer what its group of `library` (the first of that name)
// gives a key with the same repeat count: the group was edited after the key was given it, and
// the key plays the older copy. False for any other content, a macro without a name, or a
// library without a group of that name.
[[nodiscard]] bool PlaysOlderCopy(const KeyContent& content, const macro::MacroLibrary& library);

}  // namespace keyloom::keymap

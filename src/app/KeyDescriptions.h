#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "keymap/KeyContent.h"
#include "keymap/KeyMap.h"
#include "macro/MacroLibrary.h"

namespace keyloom::app {

// What a key of the shown profile does, as the window tells it on the key's tooltip and in the
// list of the profile's assignments.
struct KeyDescription {
  std::uint8_t keyCode = 0;
  // Translated: "F5: macro “Copy”, played once", "A → B", "Caps Lock: assigned elsewhere"; a key
  // that occupies both halves has a line for each.
  QString text;
  // The key plays a macro of the library as it was before the macro was changed
  // (keymap::PlaysOlderCopy).
  bool olderCopy = false;
  // What it does, as the key map knows it.
  keymap::KeyContent content;
};

// Tell that a key plays an older copy of its macro: on its tooltip (%1 is the macro's name) and
// in the list of assignments (%1 is what the key does).
inline constexpr const char* kOlderCopyText =
    "“%1” was changed since; assign it again to play the new version";
inline constexpr const char* kOlderCopyListText = "%1 (changed since)";

// `content` as the window names it: the catalogue entry's name translated, as the dialog shows
// it; a macro's is the user's own.
[[nodiscard]] keymap::KeyContent ShownContent(const keymap::KeyContent& content);

// The text of keymap::Describe for `content`, translated, with `keyName` (as shown) for the key,
// the catalogue entry's name translated and the key table's names for a single key's target.
[[nodiscard]] QString DescribeAssignment(const QString& keyName, const keymap::KeyContent& content,
                                         bool unfinished = false);

// A description of each assignment, in their order; a key that occupies both halves gets one
// description with both lines. `keyName` names a key as the window shows it; `library` is
// asked only when a macro is among them, through `openLibrary`.
[[nodiscard]] std::vector<KeyDescription> DescribeAssignments(
    const std::vector<keymap::SlotAssignment>& assignments,
    const std::function<QString(std::uint8_t)>& keyName,
    const std::function<const macro::MacroLibrary*()>& openLibrary);

}  // namespace keyloom::app

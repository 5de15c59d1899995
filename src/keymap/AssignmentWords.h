#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "keymap/KeyContent.h"

namespace keyloom::keymap {

// What a key does, in words, for both programs. The texts are in the program's source language
// with the places "%1", "%2", ... for what goes in, so that the window passes each through its
// translator before it fills them in (QString::arg takes them as they are), and keyloomctl fills
// them in as they stand (FillIn).
inline constexpr std::string_view kMacroOnceText = "%1: macro “%2”, played once";
inline constexpr std::string_view kMacroTimesText = "%1: macro “%2”, played %3 times";
inline constexpr std::string_view kUnnamedMacroOnceText = "%1: a macro, played once";
inline constexpr std::string_view kUnnamedMacroTimesText = "%1: a macro, played %2 times";
inline constexpr std::string_view kChordText = "%1: chord “%2”";
inline constexpr std::string_view kSingleKeyText = "%1 → %2";
inline constexpr std::string_view kMediaKeyText = "%1: %2";
inline constexpr std::string_view kUnknownContentText = "%1: assigned elsewhere";
inline constexpr std::string_view kUnfinishedContentText =
    "%1: unknown (an earlier change may not have finished)";

// Every text above, for the translations to hold.
inline constexpr std::array<std::string_view, 9> kAssignmentTexts = {
    kMacroOnceText, kMacroTimesText, kUnnamedMacroOnceText, kUnnamedMacroTimesText, kChordText,
    kSingleKeyText, kMediaKeyText,   kUnknownContentText,   kUnfinishedContentText};

// One of the texts above and what goes into its places, in order ("%1" first).
struct AssignmentWords {
  std::string_view text;
  std::vector<std::string> arguments;

  friend bool operator==(const AssignmentWords&, const AssignmentWords&) = default;
};

// The name of a key code, as the caller shows keys.
using KeyNamer = std::function<std::string(std::uint8_t keyCode)>;

// What a key named `keyName` does with `content`: "F5: macro “Copy”, played 2 times", "A → B",
// "C: Mute", "Caps Lock: assigned elsewhere". `keyNamer` names a single key's target. A name of a
// group or catalogue entry goes in as it is; a macro whose group's name is not known (it was
// assigned without one) is "a macro". Unknown content whose change is `unfinished` is said so.
[[nodiscard]] AssignmentWords Describe(const std::string& keyName, const KeyContent& content,
                                       const KeyNamer& keyNamer, bool unfinished = false);

// `text` with "%1" ... "%9" replaced by the arguments (a place without an argument stays).
[[nodiscard]] std::string FillIn(std::string_view text, const std::vector<std::string>& arguments);

}  // namespace keyloom::keymap

#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "autoprofile/FocusedWindow.h"

namespace keyloom::autoprofile {

// The first and last profile number a rule or the default may name (profile index + 1).
inline constexpr int kFirstProfile = 1;
inline constexpr int kLastProfile = 3;

// One rule: the application it matches and the profile it wants. A rule names a window class, an
// executable or both, and then matches a window whose WM_CLASS instance or class equals
// `windowClass` and whose program's file name equals `executable`; ASCII letters match whatever
// their case, nothing else is special.
struct AppRule {
  std::string windowClass;
  std::string executable;
  int profile = kFirstProfile;  // 1-3

  [[nodiscard]] bool Matches(const FocusedWindow& window) const;
  // Names something to match and a profile of the keyboard.
  [[nodiscard]] bool IsWhole() const;

  bool operator==(const AppRule&) const = default;
};

// Which profile each application wants: the rules in order (the first that matches counts), and
// the profile of every other application, or none to leave the keyboard as it is. Switching is
// off until the user turns it on.
struct AutoProfileRules {
  bool enabled = false;
  std::optional<int> defaultProfile;  // 1-3
  std::vector<AppRule> rules;

  // The index of the first rule that matches the window.
  [[nodiscard]] std::optional<std::size_t> MatchingRule(const FocusedWindow& window) const;
  // The profile number (1-3) the window wants: its rule's, else the default; none to leave the
  // keyboard as it is.
  [[nodiscard]] std::optional<int> WantedProfile(const FocusedWindow& window) const;

  // Editing, as the rules page and keyloomctl do it; each answers whether it changed anything.
  // `position` counts from 0; one past the end (or more) appends.
  bool Insert(std::size_t position, AppRule rule);
  bool Remove(std::size_t index);
  // Moves the rule at `from` so that it ends up at `to`.
  bool Move(std::size_t from, std::size_t to);
  bool SetDefault(std::optional<int> profile);
  bool SetEnabled(bool on);

  bool operator==(const AutoProfileRules&) const = default;
};

// What reading a rules file found besides the rules: how many elements it left out (a rule
// without a class and an executable, a profile outside 1-3, an element of another name, a
// default outside 0-3), which the next save drops.
struct RulesParse {
  bool wellFormed = false;
  std::string error;  // why not, with the parser's offset
  std::size_t leftOut = 0;
};

// The rules file's format ("autoprofile.xml"):
//
//   <?xml version="1.0"?>
//   <autoprofile enabled="1" default="1">
//   	<rule class="steam_app_570" exe="" profile="2" />
//   	<rule class="" exe="blender" profile="3" />
//   </autoprofile>
//
// "enabled" is 1 (on) or 0, "default" the profile number or 0 (leave as it is), every number
// decimal; "enabled" also reads yes, true and on, no, false and off, in any case, and any other
// word as off, left out. Reading is tolerant: the first `autoprofile` element counts; a missing
// attribute reads as the empty text (0). Parses `bytes` into `rules` when they are well-formed XML,
// else leaves `rules` as they are.
RulesParse ParseRules(std::string_view bytes, AutoProfileRules& rules);
[[nodiscard]] std::string RulesToXml(const AutoProfileRules& rules);

}  // namespace keyloom::autoprofile

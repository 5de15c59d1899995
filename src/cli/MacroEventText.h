#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keyloom::cli {

// A key event of a macro group as the command line gives it.
struct EventText {
  std::uint8_t code = 0;
  bool released = false;
  std::optional<std::int32_t> delay;  // ms after the event; none: the command's --delay

  friend bool operator==(const EventText&, const EventText&) = default;
};

// The longest delay an event may be given: the longest pause the keyboard keeps.
inline constexpr std::int32_t kMaxEventDelay = 31000;

// Events, or what is wrong with the text given for them.
struct ParsedEvents {
  std::vector<EventText> events;
  std::string error;  // empty when the text was understood
};

// Reads events separated by commas, each "KEY [down|up] [DELAY]": KEY a name of the key name
// table (several words, or one double-quoted text, which may hold a comma) or a key code,
// "down" a press and "up" a release, DELAY the milliseconds after it (0 to kMaxEventDelay).
// A KEY without down or up is pressed and released:
//   "Ctrl Left" down 20, C down 30, C up 20, "Ctrl Left" up
// Words are matched ignoring case. Any fault makes the whole text an error that names the event.
[[nodiscard]] ParsedEvents ParseEventText(std::string_view text);

// The key events that type `text` on a US layout: each character pressed and released, with
// Shift Left held around capitals and the shifted symbols; a new line is Enter, a tab Tab. A text
// with characters that no key of the key name table types is an error naming each of them.
[[nodiscard]] ParsedEvents EventsTypingText(std::string_view text);

}  // namespace keyloom::cli

#include "cli/MacroEventText.h"

#include <algorithm>
#include <charconv>
#include <cstddef>

#include "cli/KeyArgument.h"
#include "cli/Output.h"

namespace keyloom::cli {

namespace {

constexpr std::uint8_t kShiftLeft = 0xE1;

struct Word {
  std::string text;
  bool quoted = false;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool EqualsWord(const Word& word, std::string_view lower) {
  return !word.quoted && std::ranges::equal(word.text, lower, [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
  });
}

std::optional<std::int32_t> Delay(const Word& word) {
  if (word.quoted || word.text.empty()) {
    return std::nullopt;
  }
  std::int32_t value = -1;
  const char* end = word.text.data() + word.text.size();
  const auto [ptr, error] = std::from_chars(word.text.data(), end, value);
  if (error != std::errc{} || ptr != end || value < 0) {
    return std::nullopt;
  }
  return value;
}

// Splits one event into words; a double-quoted text is one word. False for an open quote.
bool SplitWords(std::string_view event, std::vector<Word>& words) {
  std::size_t i = 0;
  while (i < event.size()) {
    if (IsBlank(event[i])) {
      ++i;
      continue;
    }
    Word word;
    if (event[i] == '"') {
      const std::size_t close = event.find('"', i + 1);
      if (close == std::string_view::npos) {
        return false;
      }
      word = {std::string(event.substr(i + 1, close - i - 1)), true};
      i = close + 1;
    } else {
      const std::size_t start = i;
      while (i < event.size() && !IsBlank(event[i]) && event[i] != '"') {
        ++i;
      }
      word = {std::string(event.substr(start, i - start)), false};
    }
    words.push_back(std::move(word));
  }
  return true;
}

// Splits the text at the commas outside double quotes.
std::vector<std::string_view> SplitEvents(std::string_view text) {
  std::vector<std::string_view> events;
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') {
      quoted = !quoted;
    } else if (text[i] == ',' && !quoted) {
      events.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  events.push_back(text.substr(start));
  return events;
}

std::string EventError(std::size_t number, std::string_view event, const std::string& problem) {
  std::string shown(event);
  const auto first = shown.find_first_not_of(" \t\r\n");
  shown = first == std::string::npos ? "" : shown.substr(first);
  shown.erase(shown.find_last_not_of(" \t\r\n") + 1);
  return "event " + std::to_string(number) + " \"" + Printable(shown) + "\": " + problem;
}

// Appends the events of one "KEY [down|up] [DELAY]", or answers what is wrong with it.
std::string ParseOneEvent(std::string_view event, std::vector<EventText>& events) {
  std::vector<Word> words;
  if (!SplitWords(event, words)) {
    return "a double quote is not closed";
  }
  if (words.empty()) {
    return "no key (events are separated by commas)";
  }
  std::optional<std::int32_t> delay;
  if (words.size() > 1) {
    delay = Delay(words.back());
    if (delay) {
      if (*delay > kMaxEventDelay) {
        return "a delay is 0-" + std::to_string(kMaxEventDelay) + " ms";
      }
      words.pop_back();
    }
  }
  std::optional<bool> released;
  if (words.size() > 1 && (EqualsWord(words.back(), "down") || EqualsWord(words.back(), "up"))) {
    released = EqualsWord(words.back(), "up");
    words.pop_back();
  }
  std::string name;
  for (const Word& word : words) {
    name += (name.empty() ? "" : " ") + word.text;
  }
  const auto code = ParseKeyArgument(name);
  if (!code) {
    return "\"" + Printable(name) +
           "\" is neither a key name (such as A, F5, \"Ctrl Left\") nor a key code from 1 to 255 "
           "(such as 0x04), followed by down or up and a delay in ms";
  }
  if (released) {
    events.push_back({*code, *released, delay});
  } else {
    events.push_back({*code, false, std::nullopt});
    events.push_back({*code, true, delay});
  }
  return {};
}

// The key that types an ASCII character on a US layout, and whether it takes Shift.
struct Typed {
  std::uint8_t code = 0;
  bool shift = false;
};

std::optional<Typed> KeyTyping(char c) {
  constexpr std::string_view kUnshifted = "-=[]\\;'`,./";
  constexpr std::string_view kShifted = "_+{}|:\"~<>?";
  constexpr std::uint8_t kSymbolCodes[] = {0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x33,
                                           0x34, 0x35, 0x36, 0x37, 0x38};
  constexpr std::string_view kShiftedDigits = "!@#$%^&*()";
  if (c >= 'a' && c <= 'z') {
    return Typed{static_cast<std::uint8_t>(0x04 + (c - 'a')), false};
  }
  if (c >= 'A' && c <= 'Z') {
    return Typed{static_cast<std::uint8_t>(0x04 + (c - 'A')), true};
  }
  if (c >= '1' && c <= '9') {
    return Typed{static_cast<std::uint8_t>(0x1E + (c - '1')), false};
  }
  switch (c) {
    case '0':
      return Typed{0x27, false};
    case ' ':
      return Typed{0x2C, false};
    case '\n':
      return Typed{0x28, false};
    case '\t':
      return Typed{0x2B, false};
    default:
      break;
  }
  if (const auto at = kUnshifted.find(c); at != std::string_view::npos) {
    return Typed{kSymbolCodes[at], false};
  }
  if (const auto at = kShifted.find(c); at != std::string_view::npos) {
    return Typed{kSymbolCodes[at], true};
  }
  if (const auto at = kShiftedDigits.find(c); at != std::string_view::npos) {
    return Typed{static_cast<std::uint8_t>(0x1E + at), true};
  }
  return std::nullopt;
}

// The length of the UTF-8 sequence that starts with `lead`, 1 for a byte that starts none.
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) {
    return 4;
  }
  if (lead >= 0xE0) {
    return lead <= 0xEF ? 3 : 1;
  }
  return lead >= 0xC2 ? 2 : 1;
}

}  // namespace

ParsedEvents ParseEventText(std::string_view text) {
  ParsedEvents parsed;
  const std::vector<std::string_view> events = SplitEvents(text);
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (const std::string problem = ParseOneEvent(events[i], parsed.events); !problem.empty()) {
      return {{}, EventError(i + 1, events[i], problem)};
    }
  }
  return parsed;
}

ParsedEvents EventsTypingText(std::string_view text) {
  ParsedEvents parsed;
  std::vector<std::string> untypable;
  for (std::size_t i = 0; i < text.size();) {
    const auto typed = KeyTyping(text[i]);
    if (!typed) {
      const std::size_t length =
          std::min(SequenceLength(static_cast<unsigned char>(text[i])), text.size() - i);
      std::string character(text.substr(i, length));
      if (std::ranges::find(untypable, character) == untypable.end()) {
        untypable.push_back(std::move(character));
      }
      i += length;
      continue;
    }
    if (typed->shift) {
      parsed.events.push_back({kShiftLeft, false, std::nullopt});
    }
    parsed.events.push_back({typed->code, false, std::nullopt});
    parsed.events.push_back({typed->code, true, std::nullopt});
    if (typed->shift) {
      parsed.events.push_back({kShiftLeft, true, std::nullopt});
    }
    ++i;
  }
  if (!untypable.empty()) {
    parsed.events.clear();
    parsed.error = "no key of the key name table types";
    for (const std::string& character : untypable) {
      parsed.error +=
          (&character == &untypable.front() ? " \"" : ", \"") + Printable(character) + "\"";
    }
    parsed.error += " (on a US layout, with Shift)";
  }
  if (text.empty()) {
    parsed.error = "the text is empty";
  }
  return parsed;
}

}  // namespace keyloom::cli

#include "macro/KeyNameTable.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

namespace keyloom::macro {

namespace {

constexpr std::uint32_t kVirtualKeyMask = 0xFF;

constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringAsciiCase(std::string_view left, std::string_view right) {
  return std::ranges::equal(left, right,
                            [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
}

}  // namespace

std::optional<std::uint8_t> UsageFromVirtualKey(std::uint32_t virtualKey) {
  const auto lowBits = static_cast<std::uint8_t>(virtualKey & kVirtualKeyMask);
  const auto entry = std::ranges::find(kKeyNameTable, lowBits, &KeyNameEntry::virtualKey);
  if (entry == kKeyNameTable.end()) {
    return std::nullopt;
  }
  return entry->usage;
}

std::optional<std::string_view> NameFromUsage(std::uint8_t usage) {
  const auto entry = std::ranges::find(kKeyNameTable, usage, &KeyNameEntry::usage);
  if (entry == kKeyNameTable.end()) {
    return std::nullopt;
  }
  return entry->name;
}

std::optional<std::uint8_t> UsageFromName(std::string_view name) {
  const auto entry = std::ranges::find_if(kKeyNameTable, [name](const KeyNameEntry& candidate) {
    return EqualIgnoringAsciiCase(candidate.name, name);
  });
  if (entry == kKeyNameTable.end()) {
    return std::nullopt;
  }
  return entry->usage;
}

}  // namespace keyloom::macro

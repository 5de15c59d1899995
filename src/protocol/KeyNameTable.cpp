#include "protocol/KeyNameTable.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/AsciiText.h"
#include "settings/HexText.h"

namespace keyloom::protocol {

namespace {

constexpr std::uint32_t kVirtualKeyMask = 0xFF;
constexpr std::uint32_t kUsageMask = 0xFF;

// The modifiers, left and right alike (usages 0xE0-0xE7), and the space bar, as shortcuts name
// them.
struct ShortName {
  std::uint8_t usage;
  std::string_view name;
};
constexpr std::array<ShortName, 9> kShortNames{{
    {0xE0, "Ctrl"},
    {0xE1, "Shift"},
    {0xE2, "Alt"},
    {0xE3, "Win"},
    {0xE4, "Ctrl"},
    {0xE5, "Shift"},
    {0xE6, "Alt"},
    {0xE7, "Win"},
    {0x2C, "Space"},
}};

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
    return settings::EqualIgnoringAsciiCase(candidate.name, name);
  });
  if (entry == kKeyNameTable.end()) {
    return std::nullopt;
  }
  return entry->usage;
}

std::string UsageName(std::uint8_t usage) {
  if (const auto name = NameFromUsage(usage)) {
    return std::string(*name);
  }
  return "0x" + settings::HexNumber(usage, 2);
}

std::string ShortcutKeyName(std::int32_t code) {
  const auto usage = static_cast<std::uint8_t>(static_cast<std::uint32_t>(code) & kUsageMask);
  if (const auto shortName = std::ranges::find(kShortNames, usage, &ShortName::usage);
      shortName != kShortNames.end()) {
    return std::string(shortName->name);
  }
  if (const auto name = NameFromUsage(usage)) {
    return std::string(*name);
  }
  std::array<char, 8> hex{};
  std::snprintf(hex.data(), hex.size(), "0x%02X", static_cast<unsigned>(usage));
  return hex.data();
}

std::string ShortcutText(const std::vector<std::int32_t>& codes) {
  std::string text;
  for (const std::int32_t code : codes) {
    if (!text.empty()) {
      text += " + ";
    }
    text += ShortcutKeyName(code);
  }
  return text;
}

}  // namespace keyloom::protocol

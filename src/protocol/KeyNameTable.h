#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keyloom::protocol {

// One key of the recorder's key table: the Windows virtual-key code that the keyboard hook
// reports, the HID keyboard-page usage that the keyboard understands, and the name shown to the
// user (UTF-8).
struct KeyNameEntry {
  std::uint8_t virtualKey;
  std::uint8_t usage;
  std::string_view name;
};

inline constexpr std::size_t kKeyNameCount = 104;

// The keys the recorder knows, in the order of the keyboard's rows. Every usage occurs once;
// virtual key 0x0D occurs twice ("Enter" and, later, "Pad Enter"), as the hook does not tell the
// two apart.
// clang-format off
inline constexpr std::array<KeyNameEntry, kKeyNameCount> kKeyNameTable{{
    {0x1B, 0x29, "Esc"},
    {0x70, 0x3A, "F1"},
    {0x71, 0x3B, "F2"},
    {0x72, 0x3C, "F3"},
    {0x73, 0x3D, "F4"},
    {0x74, 0x3E, "F5"},
    {0x75, 0x3F, "F6"},
    {0x76, 0x40, "F7"},
    {0x77, 0x41, "F8"},
    {0x78, 0x42, "F9"},
    {0x79, 0x43, "F10"},
    {0x7A, 0x44, "F11"},
    {0x7B, 0x45, "F12"},
    {0x2C, 0x46, "PrintScreen"},
    {0x91, 0x47, "ScrollLock"},
    {0x13, 0x48, "PAUSE"},
    {0xC0, 0x35, "~"},
    {0x31, 0x1E, "1"},
    {0x32, 0x1F, "2"},
    {0x33, 0x20, "3"},
    {0x34, 0x21, "4"},
    {0x35, 0x22, "5"},
    {0x36, 0x23, "6"},
    {0x37, 0x24, "7"},
    {0x38, 0x25, "8"},
    {0x39, 0x26, "9"},
    {0x30, 0x27, "0"},
    {0xBD, 0x2D, "-"},
    {0xBB, 0x2E, "="},
    {0x08, 0x2A, "Backspace"},
    {0x2D, 0x49, "Insert"},
    {0x24, 0x4A, "Home"},
    {0x21, 0x4B, "PageUp"},
    {0x90, 0x53, "NumLock"},
    {0x6F, 0x54, "Pad /"},
    {0x6A, 0x55, "Pad *"},
    {0x6D, 0x56, "Pad -"},
    {0x09, 0x2B, "Tab"},
    {0x51, 0x14, "Q"},
    {0x57, 0x1A, "W"},
    {0x45, 0x08, "E"},
    {0x52, 0x15, "R"},
    {0x54, 0x17, "T"},
    {0x59, 0x1C, "Y"},
    {0x55, 0x18, "U"},
    {0x49, 0x0C, "I"},
    {0x4F, 0x12, "O"},
    {0x50, 0x13, "P"},
    {0xDB, 0x2F, "["},
    {0xDD, 0x30, "]"},
    {0xDC, 0x31, "\\"},
    {0x2E, 0x4C, "Delete"},
    {0x23, 0x4D, "End"},
    {0x22, 0x4E, "PageDown"},
    {0x67, 0x5F, "Pad 7"},
    {0x68, 0x60, "Pad 8"},
    {0x69, 0x61, "Pad 9"},
    {0x6B, 0x57, "Pad +"},
    {0x14, 0x39, "CapsLock"},
    {0x41, 0x04, "A"},
    {0x53, 0x16, "S"},
    {0x44, 0x07, "D"},
    {0x46, 0x09, "F"},
    {0x47, 0x0A, "G"},
    {0x48, 0x0B, "H"},
    {0x4A, 0x0D, "J"},
    {0x4B, 0x0E, "K"},
    {0x4C, 0x0F, "L"},
    {0xBA, 0x33, ";"},
    {0xDE, 0x34, "\xE2\x80\x98"},  // U+2018 LEFT SINGLE QUOTATION MARK
    {0x0D, 0x28, "Enter"},
    {0x64, 0x5C, "Pad 4"},
    {0x65, 0x5D, "Pad 5"},
    {0x66, 0x5E, "Pad 6"},
    {0xA0, 0xE1, "Shift Left"},
    {0x5A, 0x1D, "Z"},
    {0x58, 0x1B, "X"},
    {0x43, 0x06, "C"},
    {0x56, 0x19, "V"},
    {0x42, 0x05, "B"},
    {0x4E, 0x11, "N"},
    {0x4D, 0x10, "M"},
    {0xBC, 0x36, ","},
    {0xBE, 0x37, "."},
    {0xBF, 0x38, "/"},
    {0xA1, 0xE5, "Shift Right"},
    {0x26, 0x52, "Arrow Up"},
    {0x61, 0x59, "Pad 1"},
    {0x62, 0x5A, "Pad 2"},
    {0x63, 0x5B, "Pad 3"},
    {0x0D, 0x58, "Pad Enter"},
    {0xA2, 0xE0, "Ctrl Left"},
    {0x5B, 0xE3, "Win Left"},
    {0xA4, 0xE2, "Alt Left"},
    {0x20, 0x2C, "SpaceBar"},
    {0xA5, 0xE6, "Alt Right"},
    {0x5C, 0xE7, "Win Right"},
    {0x5D, 0x65, "App"},
    {0xA3, 0xE4, "Ctrl Right"},
    {0x25, 0x50, "Arrow Left"},
    {0x28, 0x51, "Arrow Down"},
    {0x27, 0x4F, "Arrow Right"},
    {0x60, 0x62, "Pad 0"},
    {0x6E, 0x63, "Pad ."},
}};
// clang-format on

// The usage of the first entry whose virtual key equals the low 8 bits of virtualKey. Virtual key
// 0x0D therefore always gives "Enter" (0x28), never "Pad Enter".
[[nodiscard]] std::optional<std::uint8_t> UsageFromVirtualKey(std::uint32_t virtualKey);

// The name of the entry with this usage.
[[nodiscard]] std::optional<std::string_view> NameFromUsage(std::uint8_t usage);

// The same, or the usage in hexadecimal ("0x87") when the table has no entry for it.
[[nodiscard]] std::string UsageName(std::uint8_t usage);

// The usage of the first entry whose name equals name, ignoring the case of ASCII letters
// ("ctrl left", "f5" and "a" are found; other characters must match exactly).
[[nodiscard]] std::optional<std::uint8_t> UsageFromName(std::string_view name);

// How a shortcut names one of its keys: "Ctrl", "Shift", "Alt" or "Win" for either key of such
// a pair, "Space" for the space bar, else the table's name of the usage that the keyboard is
// sent (the low 8 bits of `code`), else that usage in hexadecimal ("0x68").
[[nodiscard]] std::string ShortcutKeyName(std::int32_t code);

// The keys of a shortcut, named so and joined by " + " ("Ctrl + Shift + Esc").
[[nodiscard]] std::string ShortcutText(const std::vector<std::int32_t>& codes);

}  // namespace keyloom::protocol

#include "macro_dialog/QtKeyTranslation.h"

#include <algorithm>
#include <array>
#include <utility>

#include "macro/KeyboardEventRecord.h"

namespace keyloom::macro {

namespace {

using Pair = std::pair<std::uint32_t, std::uint32_t>;

// Virtual-key codes with a rule of their own.
constexpr std::uint32_t kVkEnter = 0x0D;
constexpr std::uint32_t kVkShiftLeft = 0xA0;
constexpr std::uint32_t kVkShiftRight = 0xA1;
constexpr std::uint32_t kVkCtrlLeft = 0xA2;
constexpr std::uint32_t kVkCtrlRight = 0xA3;
constexpr std::uint32_t kVkAltLeft = 0xA4;
constexpr std::uint32_t kVkAltRight = 0xA5;
constexpr std::uint32_t kVkWinLeft = 0x5B;
constexpr std::uint32_t kVkWinRight = 0x5C;
constexpr std::uint32_t kVkPad0 = 0x60;
constexpr std::uint32_t kVkF1 = 0x70;
constexpr int kFunctionKeyCount = 24;

// The keys whose virtual-key code follows their place rather than their character: the digit
// row and the punctuation keys ("OEM" keys).
bool IsTypewriterKey(std::uint32_t virtualKey) {
  return (virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 0xBA && virtualKey <= 0xC0) ||
         (virtualKey >= 0xDB && virtualKey <= 0xDE);
}

// Kernel key codes (linux/input-event-codes.h) of a full-size keyboard and the virtual-key code
// of the key in that place.
constexpr std::uint32_t kXkbKeyCodeOffset = 8;
// clang-format off
constexpr auto kByPlace = std::to_array<Pair>({
    {1, 0x1B},                                                          // Esc
    {2, '1'}, {3, '2'}, {4, '3'}, {5, '4'}, {6, '5'}, {7, '6'}, {8, '7'}, {9, '8'}, {10, '9'},
    {11, '0'}, {12, 0xBD}, {13, 0xBB}, {14, 0x08}, {15, 0x09},         // 0 - = Backspace Tab
    {16, 'Q'}, {17, 'W'}, {18, 'E'}, {19, 'R'}, {20, 'T'}, {21, 'Y'}, {22, 'U'}, {23, 'I'},
    {24, 'O'}, {25, 'P'}, {26, 0xDB}, {27, 0xDD}, {28, kVkEnter}, {29, kVkCtrlLeft},
    {30, 'A'}, {31, 'S'}, {32, 'D'}, {33, 'F'}, {34, 'G'}, {35, 'H'}, {36, 'J'}, {37, 'K'},
    {38, 'L'}, {39, 0xBA}, {40, 0xDE}, {41, 0xC0}, {42, kVkShiftLeft}, {43, 0xDC},
    {44, 'Z'}, {45, 'X'}, {46, 'C'}, {47, 'V'}, {48, 'B'}, {49, 'N'}, {50, 'M'},
    {51, 0xBC}, {52, 0xBE}, {53, 0xBF}, {54, kVkShiftRight}, {55, 0x6A},  // , . / Shift Pad*
    {56, kVkAltLeft}, {57, 0x20}, {58, 0x14},                          // Alt Space CapsLock
    {59, 0x70}, {60, 0x71}, {61, 0x72}, {62, 0x73}, {63, 0x74}, {64, 0x75}, {65, 0x76},
    {66, 0x77}, {67, 0x78}, {68, 0x79}, {69, 0x90}, {70, 0x91},        // F1-F10 NumLock Scroll
    {71, 0x67}, {72, 0x68}, {73, 0x69}, {74, 0x6D}, {75, 0x64}, {76, 0x65}, {77, 0x66},
    {78, 0x6B}, {79, 0x61}, {80, 0x62}, {81, 0x63}, {82, 0x60}, {83, 0x6E},  // the pad
    {87, 0x7A}, {88, 0x7B}, {96, kVkEnter}, {97, kVkCtrlRight}, {98, 0x6F},  // F11 F12 PadEnter
    {99, 0x2C}, {100, kVkAltRight}, {102, 0x24}, {103, 0x26}, {104, 0x21}, {105, 0x25},
    {106, 0x27}, {107, 0x23}, {108, 0x28}, {109, 0x22}, {110, 0x2D}, {111, 0x2E},
    {119, 0x13}, {125, kVkWinLeft}, {126, kVkWinRight}, {127, 0x5D},   // Pause Win Win Menu
});

// X keysyms of the modifier keys that tell their side.
constexpr auto kModifierByKeysym = std::to_array<Pair>({
    {0xFFE1, kVkShiftLeft}, {0xFFE2, kVkShiftRight},
    {0xFFE3, kVkCtrlLeft}, {0xFFE4, kVkCtrlRight},
    {0xFFE9, kVkAltLeft}, {0xFFEA, kVkAltRight}, {0xFE03, kVkAltRight},  // ISO_Level3_Shift
    {0xFFE7, kVkWinLeft}, {0xFFE8, kVkWinRight},                         // Meta
    {0xFFEB, kVkWinLeft}, {0xFFEC, kVkWinRight},                         // Super
});

// The keypad's keys while Qt::KeypadModifier is set; the others (the arrows and Home of a pad
// without NumLock) are the keys they stand for.
constexpr auto kKeypad = std::to_array<Pair>({
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B}, {Qt::Key_Minus, 0x6D},
    {Qt::Key_Period, 0x6E}, {Qt::Key_Comma, 0x6E}, {Qt::Key_Slash, 0x6F},
    {Qt::Key_Enter, kVkEnter}, {Qt::Key_Return, kVkEnter},
});

// Keys by their Qt::Key; letters and digits, whose Qt::Key is their virtual-key code, and the
// function keys are handled before.
constexpr auto kByQtKey = std::to_array<Pair>({
    {Qt::Key_Escape, 0x1B}, {Qt::Key_Tab, 0x09}, {Qt::Key_Backtab, 0x09},
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Return, kVkEnter}, {Qt::Key_Enter, kVkEnter},
    {Qt::Key_Insert, 0x2D}, {Qt::Key_Delete, 0x2E}, {Qt::Key_Pause, 0x13},
    {Qt::Key_Print, 0x2C}, {Qt::Key_SysReq, 0x2C}, {Qt::Key_Clear, 0x0C},
    {Qt::Key_Home, 0x24}, {Qt::Key_End, 0x23}, {Qt::Key_Left, 0x25}, {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27}, {Qt::Key_Down, 0x28}, {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22}, {Qt::Key_CapsLock, 0x14}, {Qt::Key_NumLock, 0x90},
    {Qt::Key_ScrollLock, 0x91}, {Qt::Key_Menu, 0x5D}, {Qt::Key_Space, 0x20},
    {Qt::Key_Shift, kVkShiftLeft}, {Qt::Key_Control, kVkCtrlLeft}, {Qt::Key_Alt, kVkAltLeft},
    {Qt::Key_AltGr, kVkAltRight}, {Qt::Key_Meta, kVkWinLeft}, {Qt::Key_Super_L, kVkWinLeft},
    {Qt::Key_Super_R, kVkWinRight},
    // The US layout's characters of the typewriter keys, shifted and not.
    {Qt::Key_QuoteLeft, 0xC0}, {Qt::Key_AsciiTilde, 0xC0},
    {Qt::Key_Exclam, '1'}, {Qt::Key_At, '2'}, {Qt::Key_NumberSign, '3'}, {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'}, {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'}, {Qt::Key_ParenLeft, '9'}, {Qt::Key_ParenRight, '0'},
    {Qt::Key_Minus, 0xBD}, {Qt::Key_Underscore, 0xBD}, {Qt::Key_Equal, 0xBB},
    {Qt::Key_Plus, 0xBB}, {Qt::Key_BracketLeft, 0xDB}, {Qt::Key_BraceLeft, 0xDB},
    {Qt::Key_BracketRight, 0xDD}, {Qt::Key_BraceRight, 0xDD}, {Qt::Key_Backslash, 0xDC},
    {Qt::Key_Bar, 0xDC}, {Qt::Key_Semicolon, 0xBA}, {Qt::Key_Colon, 0xBA},
    {Qt::Key_Apostrophe, 0xDE}, {Qt::Key_QuoteDbl, 0xDE}, {Qt::Key_Comma, 0xBC},
    {Qt::Key_Less, 0xBC}, {Qt::Key_Period, 0xBE}, {Qt::Key_Greater, 0xBE},
    {Qt::Key_Slash, 0xBF}, {Qt::Key_Question, 0xBF},
});
// clang-format on

template <std::size_t N>
std::optional<std::uint32_t> Find(const std::array<Pair, N>& table, std::uint32_t from) {
  const auto found = std::ranges::find(table, from, &Pair::first);
  if (found == table.end()) {
    return std::nullopt;
  }
  return found->second;
}

std::optional<std::uint32_t> ByPlace(std::uint32_t nativeScanCode) {
  if (nativeScanCode <= kXkbKeyCodeOffset) {
    return std::nullopt;
  }
  return Find(kByPlace, nativeScanCode - kXkbKeyCodeOffset);
}

bool IsModifierKey(int key) {
  return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
         key == Qt::Key_AltGr || key == Qt::Key_Meta || key == Qt::Key_Super_L ||
         key == Qt::Key_Super_R;
}

bool IsModifierVirtualKey(std::uint32_t virtualKey) {
  return (virtualKey >= kVkShiftLeft && virtualKey <= kVkAltRight) || virtualKey == kVkWinLeft ||
         virtualKey == kVkWinRight;
}

std::optional<std::uint32_t> ModifierKey(const QtKeyEvent& event) {
  if (event.key == Qt::Key_AltGr) {
    return kVkAltRight;
  }
  if (const auto bySymbol = Find(kModifierByKeysym, event.nativeVirtualKey)) {
    return bySymbol;
  }
  if (const auto byPlace = ByPlace(event.nativeScanCode);
      byPlace && IsModifierVirtualKey(*byPlace)) {
    return byPlace;
  }
  return Find(kByQtKey, static_cast<std::uint32_t>(event.key));
}

std::optional<std::uint32_t> KeypadKey(int key) {
  if (key >= Qt::Key_0 && key <= Qt::Key_9) {
    return kVkPad0 + static_cast<std::uint32_t>(key - Qt::Key_0);
  }
  return Find(kKeypad, static_cast<std::uint32_t>(key));
}

}  // namespace

std::optional<std::uint32_t> VirtualKeyFromQtKey(const QtKeyEvent& event) {
  const int key = event.key;
  if (IsModifierKey(key)) {
    return ModifierKey(event);
  }
  if (event.modifiers.testFlag(Qt::KeypadModifier)) {
    if (const auto pad = KeypadKey(key)) {
      return pad;
    }
  }
  if (const auto byPlace = ByPlace(event.nativeScanCode); byPlace && IsTypewriterKey(*byPlace)) {
    return byPlace;
  }
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
    return static_cast<std::uint32_t>(key);
  }
  if (key >= Qt::Key_F1 && key < Qt::Key_F1 + kFunctionKeyCount) {
    return kVkF1 + static_cast<std::uint32_t>(key - Qt::Key_F1);
  }
  if (const auto byKey = Find(kByQtKey, static_cast<std::uint32_t>(key))) {
    return byKey;
  }
  return ByPlace(event.nativeScanCode);
}

std::uint32_t KeyMessageFromQtKey(const QtKeyEvent& event) {
  const bool system = event.modifiers.testFlag(Qt::AltModifier) || event.key == Qt::Key_Alt ||
                      event.key == Qt::Key_AltGr;
  if (event.press) {
    return system ? kSystemKeyDownMessage : kKeyDownMessage;
  }
  return system ? kSystemKeyUpMessage : kKeyUpMessage;
}

}  // namespace keyloom::macro

#pragma once

#include <cstdint>
#include <optional>

#include <QtCore/qnamespace.h>

namespace keyloom::macro {

// A key event as Qt reports it on Linux, under X11 and Wayland alike: `key` a Qt::Key,
// `nativeScanCode` the XKB key code (the kernel's key code plus 8, which names the key's place
// on the keyboard whatever the layout), `nativeVirtualKey` the X keysym; the native values are 0
// where the platform gives none (synthetic events).
struct QtKeyEvent {
  int key = 0;
  std::uint32_t nativeScanCode = 0;
  std::uint32_t nativeVirtualKey = 0;
  Qt::KeyboardModifiers modifiers;
  bool press = true;
};

// The virtual-key code that Windows reports for the same key, as the key name table knows them:
// - Shift, Ctrl, Alt and the Windows (Super) keys by their side (0xA0-0xA5, 0x5B, 0x5C), taken
//   from the keysym, else from the key's place, else the left one; AltGr is the right Alt;
// - the keypad's digits and operators (Qt::KeypadModifier) as the numeric pad's keys
//   (0x60-0x6F); the keypad's Enter as Enter (0x0D), as Windows does;
// - the digit row and the punctuation keys by their place on the keyboard, so that Shift or the
//   layout does not change them (as Windows reports the same key for "1" and "!"); without the
//   place, by the US layout's characters;
// - letters and the other keys by their Qt::Key, and keys Qt does not name by their place.
// nullopt for a key that has none.
[[nodiscard]] std::optional<std::uint32_t> VirtualKeyFromQtKey(const QtKeyEvent& event);

// The message of the event as the keyboard hook reports it: key down (0x100) or up (0x101), or
// system key down or up (0x104, 0x105) while Alt is held and for the Alt keys themselves.
[[nodiscard]] std::uint32_t KeyMessageFromQtKey(const QtKeyEvent& event);

}  // namespace keyloom::macro

#pragma once

#include "macro/KeyboardHook.h"

class QWidget;

namespace keyloom::macro {

// The program's one keyboard hook and where its keystrokes come from.
//
// Windows (KeyboardCapture_windows.cpp): the system-wide low-level keyboard hook; the window
// plays no part.
//
// Linux (KeyboardCapture_linux.cpp): there is no system-wide hook, so the capture window takes
// the keyboard itself (QWidget::grabKeyboard) while the hook is installed and the window is shown
// and active, and releases it when the hook is removed or the window is hidden, deactivated or
// destroyed. Its key presses (auto-repeats included, as Windows repeats its key-down messages)
// and releases go to the hook's listeners as virtual-key codes (QtKeyTranslation.h), with key
// code 0 for a key that has none; what the listeners swallow goes no further, the rest goes to
// the window's focus widget as usual. Keys are therefore seen only while the capture window has
// the keyboard focus, not while another program has it.
class KeyboardCapture {
 public:
  // Created on first use, never freed.
  [[nodiscard]] static KeyboardHook& Hook();

  // The window whose keystrokes the hook sees (Linux); null: none, and the hook cannot be
  // installed. The window must clear itself before it goes.
  static void SetWindow(QWidget* window);
};

}  // namespace keyloom::macro

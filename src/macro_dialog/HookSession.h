#pragma once

#include "macro/IKeyboardHookListener.h"
#include "macro/KeyboardHook.h"

class QWidget;

namespace keyloom::macro {

// The key assignment dialog's hold on the keyboard hook for its listener (the dialog itself).
// Capture(true) installs the hook unless it is installed and puts the listener on its list;
// Capture(false) removes the hook, which then asks nobody, the listener staying listed. With the
// program's own hook (KeyboardCapture::Hook) the dialog is also the window whose keystrokes that
// hook sees, from HoldWindow on. End lets go for good, and so does the destructor: the listener
// out of the hook's list whether the hook is installed or not, so that the hook never keeps a
// dialog that is gone; the hook removed; the window released.
class HookSession {
 public:
  // `processHook`: `hook` is the program's own. Neither is owned.
  HookSession(KeyboardHook& hook, IKeyboardHookListener& listener, bool processHook);
  ~HookSession();

  HookSession(const HookSession&) = delete;
  HookSession& operator=(const HookSession&) = delete;

  // With the program's own hook: `window` becomes the capture window until End.
  void HoldWindow(QWidget& window);
  void Capture(bool wanted);
  void End();

 private:
  KeyboardHook& hook_;
  IKeyboardHookListener& listener_;
  bool processHook_;
  bool holdsWindow_ = false;
};

}  // namespace keyloom::macro

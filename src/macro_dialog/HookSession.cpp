#include "macro_dialog/HookSession.h"

#include "macro_dialog/KeyboardCapture.h"

namespace keyloom::macro {

HookSession::HookSession(KeyboardHook& hook, IKeyboardHookListener& listener, bool processHook)
    : hook_(hook), listener_(listener), processHook_(processHook) {}

HookSession::~HookSession() {
  End();
}

void HookSession::HoldWindow(QWidget& window) {
  if (processHook_) {
    KeyboardCapture::SetWindow(&window);
    holdsWindow_ = true;
  }
}

void HookSession::Capture(bool wanted) {
  if (!wanted) {
    hook_.Remove();
  } else if (hook_.Install()) {
    hook_.AddListener(&listener_);
  }
}

void HookSession::End() {
  hook_.ForgetListener(&listener_);
  hook_.Remove();
  if (holdsWindow_) {
    KeyboardCapture::SetWindow(nullptr);
    holdsWindow_ = false;
  }
}

}  // namespace keyloom::macro

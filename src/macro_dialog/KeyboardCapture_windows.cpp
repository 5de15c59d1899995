#include "macro/LowLevelKeyboardHook.h"
#include "macro_dialog/KeyboardCapture.h"

namespace keyloom::macro {

KeyboardHook& KeyboardCapture::Hook() {
  static KeyboardHook* target = nullptr;
  static KeyboardHook hook(
      LowLevelKeyboardHook([](int hookCode, std::uint32_t message, KeyboardEventRecord record) {
        return target != nullptr && target->Dispatch(hookCode, message, record);
      }));
  target = &hook;
  return hook;
}

void KeyboardCapture::SetWindow(QWidget* /*window*/) {}

}  // namespace keyloom::macro

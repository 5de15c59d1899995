#include <utility>

#include <windows.h>

#include "macro/LowLevelKeyboardHook.h"

namespace keyloom::macro {

namespace {

// What the callback needs: the system passes it nothing of the program's own.
struct InstalledHook {
  HHOOK handle = nullptr;
  KeyboardDispatch dispatch;
};

InstalledHook& TheHook() {
  static InstalledHook hook;
  return hook;
}

// Swallowed events answer nonzero and go to no other hook or window.
constexpr LRESULT kSwallowed = 1;

LRESULT CALLBACK OnLowLevelKeyboardEvent(int code, WPARAM wParam, LPARAM lParam) {
  InstalledHook& hook = TheHook();
  // The system's rule for every hook: a negative code is passed on untouched.
  if (code >= HC_ACTION && hook.dispatch) {
    const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (hook.dispatch(code, static_cast<std::uint32_t>(wParam),
                      KeyboardEventRecord{static_cast<std::uint32_t>(event->vkCode)})) {
      return kSwallowed;
    }
  }
  return ::CallNextHookEx(hook.handle, code, wParam, lParam);
}

}  // namespace

KeyboardHook::SystemHook LowLevelKeyboardHook(KeyboardDispatch dispatch) {
  KeyboardHook::SystemHook system;
  system.install = [dispatch = std::move(dispatch)] {
    InstalledHook& hook = TheHook();
    if (hook.handle == nullptr) {
      hook.dispatch = dispatch;
      hook.handle = ::SetWindowsHookExW(WH_KEYBOARD_LL, OnLowLevelKeyboardEvent,
                                        ::GetModuleHandleW(nullptr), 0);
    }
    return hook.handle != nullptr;
  };
  system.remove = [] {
    InstalledHook& hook = TheHook();
    if (hook.handle == nullptr || !::UnhookWindowsHookEx(hook.handle)) {
      return false;
    }
    hook.handle = nullptr;
    hook.dispatch = nullptr;
    return true;
  };
  return system;
}

}  // namespace keyloom::macro

#include "macro/KeyboardHook.h"

#include <algorithm>

namespace keyloom::macro {

bool KeyboardHook::Install() {
  if (!installed_ && system_.install) {
    installed_ = system_.install();
  }
  return installed_;
}

bool KeyboardHook::Remove() {
  if (!installed_ || !system_.remove || !system_.remove()) {
    return false;
  }
  installed_ = false;
  return true;
}

bool KeyboardHook::AddListener(IKeyboardHookListener* listener) {
  if (!installed_ || listener == nullptr) {
    return false;
  }
  if (std::ranges::find(listeners_, listener) == listeners_.end()) {
    listeners_.push_back(listener);
  }
  return true;
}

void KeyboardHook::RemoveListener(IKeyboardHookListener* listener) {
  if (installed_) {
    std::erase(listeners_, listener);
  }
}

void KeyboardHook::ForgetListener(IKeyboardHookListener* listener) {
  std::erase(listeners_, listener);
}

bool KeyboardHook::Dispatch(int hookCode, std::uint32_t message, KeyboardEventRecord record) {
  if (hookCode < kHookActionCode) {
    return false;
  }
  // Walks the list as it stands at each step, so that a listener that takes itself (or
  // another) out while it is asked is never called afterwards; a range-for would not.
  // NOLINTNEXTLINE(modernize-loop-convert)
  for (std::size_t i = 0; i < listeners_.size(); ++i) {
    if (listeners_[i]->OnKeyboardEvent(hookCode, message, record)) {
      return true;
    }
  }
  return false;
}

}  // namespace keyloom::macro

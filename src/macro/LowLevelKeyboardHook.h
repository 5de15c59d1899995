#pragma once

#include <cstdint>
#include <functional>

#include "macro/KeyboardEventRecord.h"
#include "macro/KeyboardHook.h"

namespace keyloom::macro {

// Asked about one keyboard event: the hook code, the message (k...Message) and the event record;
// answers true to swallow the event.
using KeyboardDispatch =
    std::function<bool(int hookCode, std::uint32_t message, KeyboardEventRecord record)>;

// Windows only (KeyboardHook_windows.cpp): the system calls behind the program's KeyboardHook.
// `install` puts a low-level keyboard hook (WH_KEYBOARD_LL) for every thread of the desktop into
// the system with the program's module instance; its callback gives every event of hook code 0
// or above to `dispatch`, answers 1 (the event goes no further) when that swallows it, and
// passes every other event on down the system's chain of hooks. `remove` takes the hook out; true
// when the system did so. The system calls the callback on the thread that installed the hook,
// while that thread waits for messages. The process holds one such hook at a time.
[[nodiscard]] KeyboardHook::SystemHook LowLevelKeyboardHook(KeyboardDispatch dispatch);

}  // namespace keyloom::macro

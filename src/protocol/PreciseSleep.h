#pragma once

#include <chrono>

namespace keyloom::protocol {

// Sleeps the calling thread until `end`, as close to it as the system allows without spinning:
// the keyboard's pauses are many and short (8 ms between the frames of a macro), so a sleep
// that ends late by the system's default slack (Linux) or timer period (Windows, 15.6 ms) adds
// up. On Linux the thread's timer slack is made the smallest; on Windows a high-resolution
// waitable timer is used where the system has one.
void SleepUntil(std::chrono::steady_clock::time_point end);

}  // namespace keyloom::protocol

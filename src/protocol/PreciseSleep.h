#pragma once

#include <array>
#include <chrono>
#include <cstddef>

namespace keyloom::protocol {

// Sleeps the calling thread until `end`, as close to it as the system allows without spinning,
// and never returns before it: the keyboard's pauses are many and short (8 ms between the frames
// of a macro), so a sleep that ends late adds up. On Linux the thread's timer slack is made the
// smallest; on Windows a high-resolution waitable timer is used where the system has one. What
// lateness is left — the time the system always takes to wake a thread, tens of microseconds on
// a virtual machine — is learnt from the thread's recent sleeps, and each wake-up is asked for
// that much earlier.
void SleepUntil(std::chrono::steady_clock::time_point end);

// How much earlier than its deadline a thread asks to be woken: the smallest lateness of its
// last few wake-ups, which is what the system's timer adds to every sleep. A wake-up that comes
// earlier than the deadline all the same is followed by a second sleep.
class WakeUpMargin {
 public:
  using Duration = std::chrono::steady_clock::duration;

  // At most this early, whatever the wake-ups were: a loaded machine's lateness is not a floor.
  static constexpr Duration kLargest = std::chrono::milliseconds(1);

  [[nodiscard]] Duration Get() const;
  // `lateness` is how long after the asked time the thread woke.
  void Observe(Duration lateness);

 private:
  std::array<Duration, 16> recent_{};
  std::size_t seen_ = 0;
};

namespace detail {

// One sleep of the system's until `end`, with the platform's precise timer (PreciseSleep_*.cpp).
void SystemSleepUntil(std::chrono::steady_clock::time_point end);

}  // namespace detail

}  // namespace keyloom::protocol

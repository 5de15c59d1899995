#include <thread>

#include <windows.h>

#include "protocol/PreciseSleep.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace keyloom::protocol {

namespace {

// The thread's high-resolution timer (Windows 10 1803 and later), or null where the system has
// none.
class ThreadTimer {
 public:
  ThreadTimer()
      : handle_(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                       TIMER_ALL_ACCESS)) {}
  ~ThreadTimer() {
    if (handle_ != nullptr) {
      CloseHandle(handle_);
    }
  }
  ThreadTimer(const ThreadTimer&) = delete;
  ThreadTimer& operator=(const ThreadTimer&) = delete;

  [[nodiscard]] HANDLE handle() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

void detail::SystemSleepUntil(std::chrono::steady_clock::time_point end) {
  thread_local const ThreadTimer timer;
  const auto left = end - std::chrono::steady_clock::now();
  if (left <= std::chrono::steady_clock::duration::zero()) {
    return;
  }
  // Relative due times are negative, in units of 100 ns.
  LARGE_INTEGER due;
  due.QuadPart =
      -std::chrono::duration_cast<std::chrono::duration<LONGLONG, std::ratio<1, 10000000>>>(left)
           .count();
  if (timer.handle() == nullptr ||
      !SetWaitableTimer(timer.handle(), &due, 0, nullptr, nullptr, FALSE) ||
      WaitForSingleObject(timer.handle(), INFINITE) != WAIT_OBJECT_0) {
    std::this_thread::sleep_until(end);
  }
}

}  // namespace keyloom::protocol

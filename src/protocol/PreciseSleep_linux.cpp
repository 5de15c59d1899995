#include <thread>

#include <sys/prctl.h>

#include "protocol/PreciseSleep.h"

namespace keyloom::protocol {

void detail::SystemSleepUntil(std::chrono::steady_clock::time_point end) {
  // The slack is the thread's; 1 ns is the smallest the kernel takes (0 means the default).
  thread_local const bool precise = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
  static_cast<void>(precise);
  std::this_thread::sleep_until(end);
}

}  // namespace keyloom::protocol

#include "protocol/SteadyClock.h"

#include "protocol/PreciseSleep.h"

namespace keyloom::protocol {

void SteadyClock::Pause(std::chrono::milliseconds duration) {
  SleepUntil(std::chrono::steady_clock::now() + duration);
}

std::int64_t SteadyClock::NowMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start_)
      .count();
}

}  // namespace keyloom::protocol

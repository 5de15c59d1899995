#include "protocol/SteadyClock.h"

#include <thread>

namespace keyloom::protocol {

void SteadyClock::Pause(std::chrono::milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

std::int64_t SteadyClock::NowMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start_)
      .count();
}

}  // namespace keyloom::protocol

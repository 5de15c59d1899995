#include "protocol/VirtualClock.h"

#include <numeric>

namespace keyloom::protocol {

void VirtualClock::Pause(std::chrono::milliseconds duration) {
  pauses_.push_back(duration);
  Advance(duration);
}

std::chrono::milliseconds VirtualClock::totalPause() const {
  return std::accumulate(pauses_.begin(), pauses_.end(), std::chrono::milliseconds{0});
}

}  // namespace keyloom::protocol

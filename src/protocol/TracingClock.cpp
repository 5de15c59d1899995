#include "protocol/TracingClock.h"

#include <string>

namespace keyloom::protocol {

void TracingClock::Pause(std::chrono::milliseconds duration) {
  if (sink_) {
    sink_("pause " + std::to_string(duration.count()));
  }
  inner_.Pause(duration);
}

}  // namespace keyloom::protocol

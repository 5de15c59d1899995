#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "FaultyTransport.h"
#include "protocol/Clock.h"

namespace keyloom::faults {

// A clock that never sleeps and writes every pause into the fault log, between the transfers.
class LoggingClock : public protocol::Clock {
 public:
  explicit LoggingClock(std::vector<FaultEvent>& log) : log_(log) {}

  void Pause(std::chrono::milliseconds duration) override {
    nowMs_ += duration.count();
    log_.push_back({FaultEvent::Kind::kPause, {}, true, duration.count()});
  }
  [[nodiscard]] std::int64_t NowMs() const override { return nowMs_; }

 private:
  std::vector<FaultEvent>& log_;
  std::int64_t nowMs_ = 0;
};

}  // namespace keyloom::faults

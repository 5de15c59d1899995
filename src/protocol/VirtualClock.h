#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "protocol/Clock.h"

namespace keyloom::protocol {

// A clock for tests: never sleeps. Every pause is recorded in order and advances the clock's
// own time by its duration.
class VirtualClock : public Clock {
 public:
  void Pause(std::chrono::milliseconds duration) override;
  [[nodiscard]] std::int64_t NowMs() const override { return nowMs_; }

  void SetNowMs(std::int64_t nowMs) { nowMs_ = nowMs; }
  void Advance(std::chrono::milliseconds duration) { nowMs_ += duration.count(); }

  [[nodiscard]] const std::vector<std::chrono::milliseconds>& pauses() const { return pauses_; }
  [[nodiscard]] std::chrono::milliseconds totalPause() const;
  void ClearPauses() { pauses_.clear(); }

 private:
  std::int64_t nowMs_ = 0;
  std::vector<std::chrono::milliseconds> pauses_;
};

}  // namespace keyloom::protocol

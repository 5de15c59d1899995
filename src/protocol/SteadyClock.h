#pragma once

#include <chrono>
#include <cstdint>

#include "protocol/Clock.h"

namespace keyloom::protocol {

// The production clock: pauses sleep the calling thread for real.
class SteadyClock : public Clock {
 public:
  SteadyClock() : start_(std::chrono::steady_clock::now()) {}

  void Pause(std::chrono::milliseconds duration) override;
  [[nodiscard]] std::int64_t NowMs() const override;

 private:
  std::chrono::steady_clock::time_point start_;
};

}  // namespace keyloom::protocol

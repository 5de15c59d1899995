#pragma once

#include <chrono>
#include <cstdint>
#include <utility>

#include "protocol/Clock.h"
#include "protocol/TransferTrace.h"

namespace keyloom::protocol {

// Writes "pause <milliseconds>" for every pause, then pauses on the wrapped clock.
class TracingClock : public Clock {
 public:
  TracingClock(Clock& inner, TransferTraceSink sink) : inner_(inner), sink_(std::move(sink)) {}

  void Pause(std::chrono::milliseconds duration) override;
  [[nodiscard]] std::int64_t NowMs() const override { return inner_.NowMs(); }

 private:
  Clock& inner_;
  TransferTraceSink sink_;
};

}  // namespace keyloom::protocol

#pragma once

#include <chrono>
#include <cstdint>

namespace keyloom::protocol {

// The pauses between frames, and the time since the program started. Production sleeps for real;
// tests use VirtualClock, which records every pause and sleeps not at all.
class Clock {
 public:
  virtual ~Clock() = default;

  // Blocks the calling thread for the given time.
  virtual void Pause(std::chrono::milliseconds duration) = 0;

  // Milliseconds since the clock was created.
  [[nodiscard]] virtual std::int64_t NowMs() const = 0;
};

}  // namespace keyloom::protocol

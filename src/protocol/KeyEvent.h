#pragma once

#include <cstdint>

namespace keyloom::protocol {

// One step of a macro as the keyboard stores it: a key code, then a flags byte with bit 7 set
// for a release, the delay unit in bits 5-6 and the delay count in bits 0-4.
struct KeyEvent {
  std::uint8_t keyCode = 0;
  std::uint8_t flags = 0;

  friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

inline constexpr std::uint8_t kKeyEventReleased = 0x80;

// The delay after an event in bits 0-6 of its flags byte: the unit in bits 5-6, the count in
// bits 0-4, chosen by the delay in milliseconds:
//   unit 0 (steps of 10 ms)   for    0 -  310 ms: count = delay / 10, at least 1;
//   unit 1 (steps of 50 ms)   for  311 - 1550 ms: count = delay / 50;
//   unit 2 (steps of 100 ms)  for 1551 - 3100 ms: count = delay / 100;
//   unit 3 (steps of 1000 ms) above,  delay capped at 31000 ms: count = delay / 1000.
// A negative delay counts as 0.
[[nodiscard]] std::uint8_t EncodeDelay(std::int64_t delayMs);

[[nodiscard]] KeyEvent MakeKeyEvent(std::uint8_t keyCode, bool released, std::int64_t delayMs);

}  // namespace keyloom::protocol

#include "protocol/KeyEvent.h"

#include <algorithm>

namespace keyloom::protocol {

namespace {

struct DelayUnit {
  std::int64_t upToMs;  // the longest delay the unit carries
  std::int64_t stepMs;
};

// Every unit reaches 31 steps; the last unit's reach is also the longest delay.
constexpr std::int64_t kMaxCount = 31;
constexpr std::int64_t kLongestDelayMs = 31000;
constexpr DelayUnit kDelayUnits[] = {{310, 10}, {1550, 50}, {3100, 100}, {kLongestDelayMs, 1000}};
constexpr int kUnitShift = 5;

}  // namespace

std::uint8_t EncodeDelay(std::int64_t delayMs) {
  const std::int64_t delay = std::clamp<std::int64_t>(delayMs, 0, kLongestDelayMs);
  int unit = 0;
  while (delay > kDelayUnits[unit].upToMs) {
    ++unit;
  }
  const std::int64_t count =
      std::clamp<std::int64_t>(delay / kDelayUnits[unit].stepMs, 1, kMaxCount);
  return static_cast<std::uint8_t>(unit << kUnitShift | static_cast<int>(count));
}

KeyEvent MakeKeyEvent(std::uint8_t keyCode, bool released, std::int64_t delayMs) {
  const int releasedBit = released ? kKeyEventReleased : 0;
  return {keyCode, static_cast<std::uint8_t>(releasedBit | EncodeDelay(delayMs))};
}

}  // namespace keyloom::protocol

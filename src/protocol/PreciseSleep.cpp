#include "protocol/PreciseSleep.h"

#include <algorithm>

namespace keyloom::protocol {

WakeUpMargin::Duration WakeUpMargin::Get() const {
  if (seen_ == 0) {
    return Duration::zero();
  }
  const auto end = recent_.begin() + static_cast<std::ptrdiff_t>(std::min(seen_, recent_.size()));
  return std::min(*std::min_element(recent_.begin(), end), kLargest);
}

void WakeUpMargin::Observe(Duration lateness) {
  recent_[seen_ % recent_.size()] = std::max(lateness, Duration::zero());
  ++seen_;
}

void SleepUntil(std::chrono::steady_clock::time_point end) {
  thread_local WakeUpMargin margin;
  auto asked = end - margin.Get();
  for (;;) {
    const auto before = std::chrono::steady_clock::now();
    if (before >= end) {
      return;
    }
    detail::SystemSleepUntil(asked);
    // A sleep asked for a time already past says nothing about the timer.
    if (asked > before) {
      margin.Observe(std::chrono::steady_clock::now() - asked);
    }
    asked = end;
  }
}

}  // namespace keyloom::protocol

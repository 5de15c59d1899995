#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "hid/Report.h"
#include "hid/Transport.h"

namespace keyloom::faults {

// One thing that happened on the way to the keyboard, in order: a transfer attempt and its
// outcome, or a pause.
struct FaultEvent {
  enum class Kind { kSet, kGet, kPause };
  Kind kind = Kind::kSet;
  hid::Report report{};  // a set: the frame; a get: the buffer after the transfer
  bool ok = false;
  std::int64_t pauseMs = 0;
};

// Decides for the n-th transfer attempt (counted from 1, sets and gets alike) whether it is lost.
using FaultPlan = std::function<bool(std::size_t attempt)>;

// Attempts n, 2n, 3n, ... are lost.
inline FaultPlan FailEveryNth(std::size_t n) {
  return [n](std::size_t attempt) { return attempt % n == 0; };
}

// Each attempt is lost with the given probability, drawn from a generator seeded with `seed`, so
// a run can be repeated exactly.
inline FaultPlan FailAtRandom(std::uint32_t seed, double probability) {
  return [random = std::mt19937(seed), probability](std::size_t) mutable {
    return std::uniform_real_distribution<double>(0.0, 1.0)(random) < probability;
  };
}

// A transport in front of the keyboard that loses transfers by plan, as a cable, a hub or a busy
// firmware might: a lost transfer never reaches the keyboard and fails; the others go through to
// `inner`. Every attempt is written to the log.
class FaultyTransport : public hid::Transport {
 public:
  FaultyTransport(hid::Transport& inner, FaultPlan plan, std::vector<FaultEvent>& log)
      : inner_(inner), plan_(std::move(plan)), log_(log) {}

  bool SetFeature(const hid::Report& report) override {
    const bool ok = !Lost() && inner_.SetFeature(report);
    log_.push_back({FaultEvent::Kind::kSet, report, ok, 0});
    return ok;
  }

  bool GetFeature(hid::Report& report) override {
    const bool ok = !Lost() && inner_.GetFeature(report);
    log_.push_back({FaultEvent::Kind::kGet, report, ok, 0});
    return ok;
  }

 private:
  bool Lost() { return plan_ && plan_(++attempts_); }

  hid::Transport& inner_;
  FaultPlan plan_;
  std::vector<FaultEvent>& log_;
  std::size_t attempts_ = 0;
};

}  // namespace keyloom::faults

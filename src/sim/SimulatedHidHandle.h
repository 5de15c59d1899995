#pragma once

#include <cstdint>

#include "hid/HidBackend.h"
#include "sim/SimulatedKeyboard.h"

namespace keyloom::sim {

// An open handle on the simulated keyboard. Like a handle on a real device it dies when the
// keyboard is unplugged, and stays dead after it is plugged in again: only a new open reaches
// the keyboard again.
class SimulatedHidHandle : public hid::HidHandle {
 public:
  explicit SimulatedHidHandle(SimulatedKeyboard& keyboard)
      : keyboard_(keyboard), connection_(keyboard.connection()) {}

  bool SetFeature(const hid::Report& report) override {
    return Alive() && keyboard_.SetFeature(report);
  }
  bool GetFeature(hid::Report& report) override { return Alive() && keyboard_.GetFeature(report); }

 private:
  [[nodiscard]] bool Alive() const {
    return keyboard_.plugged() && keyboard_.connection() == connection_;
  }

  SimulatedKeyboard& keyboard_;
  std::uint64_t connection_;
};

}  // namespace keyloom::sim

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "protocol/KeyAssignmentRecord.h"
#include "protocol/LightingTable.h"

namespace keyloom::sim {

// What the simulated keyboard keeps across power cycles. A default-constructed state is the
// factory state: every slot free, profile 1 active, LED mode 0, default lighting.
struct SimulatedKeyboardState {
  static constexpr std::size_t kProfileCount = 3;
  static constexpr std::size_t kSlotsPerHalf = 12;

  struct MacroSlot {
    std::uint8_t keyCode = 0;              // 0 = free
    protocol::KeyAssignmentRecord record;  // the whole record as downloaded
    friend bool operator==(const MacroSlot&, const MacroSlot&) = default;
  };

  struct RemapSlot {
    std::uint8_t keyCode = 0;  // 0 = free
    std::uint8_t targetKeyCode = 0;
    friend bool operator==(const RemapSlot&, const RemapSlot&) = default;
  };

  struct Profile {
    std::array<MacroSlot, kSlotsPerHalf> macros{};
    std::array<RemapSlot, kSlotsPerHalf> remaps{};
    friend bool operator==(const Profile&, const Profile&) = default;
  };

  std::array<Profile, kProfileCount> profiles{};
  std::size_t activeProfile = 0;  // 0-2
  int ledMode = 0;
  protocol::LightingTable lighting;

  friend bool operator==(const SimulatedKeyboardState&, const SimulatedKeyboardState&) = default;
};

}  // namespace keyloom::sim

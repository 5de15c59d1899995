#pragma once

#include <array>
#include <cstddef>

#include "protocol/LightingRecord.h"

namespace keyloom::protocol {

// The parameters of all ten LED modes, indexed by mode. The keyboard's lighting is never read
// back, so a table starts from the defaults and only learns what the user sets.
class LightingTable {
 public:
  static constexpr int kModeCount = 10;
  static constexpr int kUserAreaMode = 8;

  // Colour 1, direction left, speed 3, brightness 3.
  static constexpr LightingRecord kDefaultRecord{{0x01, 0x01, 0x03, 0x03, 0x00}};
  // Every area on colour 1, brightness 3.
  static constexpr LightingRecord kDefaultUserAreaRecord{{0x00, 0x00, 0x00, 0x03, 0x00}};

  // A new table holds every mode's default record.
  LightingTable();

  [[nodiscard]] static constexpr bool IsLedMode(int ledMode) {
    return ledMode >= 0 && ledMode < kModeCount;
  }
  [[nodiscard]] static LightingRecord DefaultRecord(int ledMode);

  // `ledMode` must satisfy IsLedMode.
  [[nodiscard]] LightingRecord& operator[](int ledMode) {
    return records_[static_cast<std::size_t>(ledMode)];
  }
  [[nodiscard]] const LightingRecord& operator[](int ledMode) const {
    return records_[static_cast<std::size_t>(ledMode)];
  }

  friend bool operator==(const LightingTable&, const LightingTable&) = default;

 private:
  std::array<LightingRecord, kModeCount> records_;
};

}  // namespace keyloom::protocol

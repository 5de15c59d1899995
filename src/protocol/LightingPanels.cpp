#include "protocol/LightingPanels.h"

#include <array>
#include <cstddef>

#include "protocol/LightingTable.h"

namespace keyloom::protocol {

namespace {

//                    direction speed  brightness colourBar userAreas
constexpr std::array<LightingPanels, LightingTable::kModeCount> kPanelsPerMode{{
    {true, true, true, false, false},    // 0
    {true, true, true, true, false},     // 1
    {true, true, true, true, false},     // 2
    {false, false, true, true, false},   // 3
    {false, true, true, true, false},    // 4
    {false, true, true, false, false},   // 5
    {true, true, true, false, false},    // 6
    {false, false, true, false, false},  // 7
    {false, false, true, false, true},   // 8
    {false, false, true, false, false},  // 9
}};

}  // namespace

std::optional<LightingPanels> LightingPanelsForMode(int ledMode) {
  if (!LightingTable::IsLedMode(ledMode)) {
    return std::nullopt;
  }
  return kPanelsPerMode[static_cast<std::size_t>(ledMode)];
}

}  // namespace keyloom::protocol

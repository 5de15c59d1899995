#include "protocol/LightingPanels.h"

#include <cstddef>

#include "protocol/LightingEffects.h"
#include "protocol/LightingTable.h"

namespace keyloom::protocol {

std::optional<LightingPanels> LightingPanelsForMode(int ledMode) {
  if (!LightingTable::IsLedMode(ledMode)) {
    return std::nullopt;
  }
  return kLightingEffects[static_cast<std::size_t>(ledMode)].panels;
}

}  // namespace keyloom::protocol

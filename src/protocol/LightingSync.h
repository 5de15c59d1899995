#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "protocol/LightingPanels.h"
#include "protocol/LightingTable.h"

namespace keyloom::protocol {

inline constexpr std::size_t kLightingAreaCount = 6;

// What the lighting controls hold, as the panel reads them. A group value is the index of its
// checked member, or -1 when none of them is checked.
struct LightingControlValues {
  int brightness = 0;  // slider value
  int speed = 0;       // slider value
  int colour = -1;     // colour group: "bar_color1" ... "bar_color7" = 0-6
  int direction = -1;  // direction group: left 0, right 1
  std::array<int, kLightingAreaCount> areas{-1, -1, -1, -1, -1, -1};  // area groups 1-6, 0-6
};

// What the controls must show for a record. An empty field means: leave that control as it is.
struct LightingControlDisplay {
  LightingPanels panels;
  int brightness = 0;
  std::optional<int> speed;
  // The colour group's index to select; empty for colour 0, which keeps the current choice.
  std::optional<int> colourIndex;
  std::optional<int> directionIndex;
  // The area groups' raw values (mode 8 only); 15 unchecks the whole group.
  std::optional<std::array<int, kLightingAreaCount>> areaValues;
};

// Stores the controls into the record of `ledMode`. Only the bits the mode uses change: the
// brightness always; in mode 8 the six area nibbles (speed, colour and direction are not
// stored); in every other mode speed, direction and colour. A mode outside 0-9 changes nothing.
void SyncLightingFromControls(LightingTable& table, int ledMode,
                              const LightingControlValues& controls);

// What the controls must show for the record of `ledMode`; nullopt for a mode outside 0-9.
[[nodiscard]] std::optional<LightingControlDisplay> SyncLightingToControls(
    const LightingTable& table, int ledMode);

}  // namespace keyloom::protocol

#pragma once

#include <optional>

namespace keyloom::protocol {

// Which parameter panels of the lighting panel an LED mode uses; the others are hidden.
struct LightingPanels {
  bool direction = false;   // "radio_direction_parent"
  bool speed = false;       // "bar_speed_parent"
  bool brightness = false;  // "bar_brightness_parent"
  bool colourBar = false;   // "bar_color_parent"
  bool userAreas = false;   // "udef_area_parent"

  friend bool operator==(const LightingPanels&, const LightingPanels&) = default;
};

// The panels of an LED mode; nullopt for a mode outside 0-9.
[[nodiscard]] std::optional<LightingPanels> LightingPanelsForMode(int ledMode);

}  // namespace keyloom::protocol

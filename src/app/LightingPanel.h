#pragma once

#include <array>

#include "app/ColourGroup.h"
#include "protocol/LightingEffects.h"
#include "protocol/LightingParameters.h"
#include "protocol/LightingTable.h"

namespace keyloom::ui {
class SHostWnd;
class SSliderBar;
class SWindow;
}  // namespace keyloom::ui

namespace keyloom::app {

// The lighting controls of the main window: the speed and brightness sliders, the direction, the
// colour and the six area colour groups, and the five panels that an LED mode shows or hides. It
// maps the controls to a mode's LightingParameters and back; the LED mode itself is the main
// window's "cmb_led_mode".
//
// The colour group and each area group hold the palette's seven colours in order. Each group's
// first control ("bar_color0", "udef_areaN_color1") is not a member: it stands for none of the
// seven, and it is the one shown checked whenever the parameters say none.
class LightingPanel {
 public:
  // Finds the controls in `host`; each group member is unchecked as it joins its group. Controls
  // missing from the layout are traced by the toolkit and left out.
  void Attach(const ui::SHostWnd& host);
  // Forgets every control (the window is being destroyed).
  void Detach();

  // Shows the panels of `ledMode` and loads its record into the controls; nothing for a mode
  // outside 0-9.
  void SyncToControls(const protocol::LightingTable& table, int ledMode);
  // Stores the controls into the record of `ledMode` (only the fields the mode uses); nothing for
  // a mode outside 0-9.
  void SyncFromControls(protocol::LightingTable& table, int ledMode) const;

  // Whether a click of the control with this id changes the lighting: the direction controls
  // (65592-65593), the colours (65595-65602) and the area colours (65604-65651).
  [[nodiscard]] static bool IsLightingControlId(int id);
  // The names of the two sliders, whose moves change the lighting.
  static constexpr const char* kSpeedSlider = "bar_speed";
  static constexpr const char* kBrightnessSlider = "bar_brightness";

 private:
  [[nodiscard]] protocol::LightingParameters ReadControls(int ledMode) const;
  void ShowPanels(const protocol::EffectParameters& parameters);
  // Selects `colour` in `group`, and checks `noneControl` exactly when that leaves the group
  // without a checked member (none of the seven, or a colour the group does not hold).
  static void SelectOrNone(ColourGroup& group, protocol::LightingColour colour,
                           ui::SWindow* noneControl);

  ui::SSliderBar* speedSlider_ = nullptr;
  ui::SSliderBar* brightnessSlider_ = nullptr;
  ColourGroup directionGroup_;
  ColourGroup colourGroup_;
  std::array<ColourGroup, protocol::kLightingAreaCount> areaGroups_;
  ui::SWindow* noColourControl_ = nullptr;
  std::array<ui::SWindow*, protocol::kLightingAreaCount> noAreaColourControls_{};
  ui::SWindow* directionPanel_ = nullptr;
  ui::SWindow* speedPanel_ = nullptr;
  ui::SWindow* brightnessPanel_ = nullptr;
  ui::SWindow* colourPanel_ = nullptr;
  ui::SWindow* areaPanel_ = nullptr;
};

}  // namespace keyloom::app

#include "app/LightingPanel.h"

#include <QString>
#include <cstddef>

#include "ui/host/SHostWnd.h"
#include "ui/widgets/SSliderBar.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::app {

namespace {

// Ids of the check-style controls whose clicks change the lighting.
constexpr int kFirstDirectionId = 65592;  // "radio_direction_left"
constexpr int kLastDirectionId = 65593;   // "radio_direction_right"
constexpr int kFirstColourId = 65595;     // "bar_color0"
constexpr int kLastColourId = 65602;      // "bar_color7"
constexpr int kFirstAreaColourId = 65604;
constexpr int kLastAreaColourId = 65651;

constexpr int kDirectionLeftIndex = 0;
constexpr int kDirectionRightIndex = 1;

constexpr QLatin1StringView kDirectionPanel("radio_direction_parent");
constexpr QLatin1StringView kSpeedPanel("bar_speed_parent");
constexpr QLatin1StringView kBrightnessPanel("bar_brightness_parent");
constexpr QLatin1StringView kColourPanel("bar_color_parent");
constexpr QLatin1StringView kAreaPanel("udef_area_parent");

ui::SWindow* FindControl(const ui::SHostWnd& host, const QString& name) {
  return host.FindChildByName2(name, ui::SWindow::kClassName);
}

// "bar_color<n>"; n 0-7.
QString ColourName(int n) {
  return QStringLiteral("bar_color%1").arg(n);
}

// "udef_area<area>_color<n>"; area 1-6, n 1-8.
QString AreaColourName(std::size_t area, int n) {
  return QStringLiteral("udef_area%1_color%2").arg(area).arg(n);
}

void SetVisible(ui::SWindow* panel, bool visible) {
  if (panel != nullptr) {
    panel->setVisible(visible);
  }
}

// A colour group's members are the palette's colours 1-7 in order; -1, no member checked, is
// none of them.
int MemberOf(protocol::LightingColour colour) {
  return colour == protocol::kNoColour ? -1 : colour - 1;
}

protocol::LightingColour ColourOf(int member) {
  return member < 0 ? protocol::kNoColour : member + 1;
}

}  // namespace

void LightingPanel::Attach(const ui::SHostWnd& host) {
  speedSlider_ = host.FindChildByName2<ui::SSliderBar>(QLatin1String(kSpeedSlider));
  brightnessSlider_ = host.FindChildByName2<ui::SSliderBar>(QLatin1String(kBrightnessSlider));

  directionGroup_.Clear();
  directionGroup_.Add(FindControl(host, QStringLiteral("radio_direction_left")));
  directionGroup_.Add(FindControl(host, QStringLiteral("radio_direction_right")));
  colourGroup_.Clear();
  for (int n = 1; n <= protocol::kPaletteColours; ++n) {
    colourGroup_.Add(FindControl(host, ColourName(n)));
  }
  noColourControl_ = FindControl(host, ColourName(0));
  for (std::size_t area = 0; area < areaGroups_.size(); ++area) {
    areaGroups_[area].Clear();
    for (int n = 2; n <= protocol::kPaletteColours + 1; ++n) {
      areaGroups_[area].Add(FindControl(host, AreaColourName(area + 1, n)));
    }
    noAreaColourControls_[area] = FindControl(host, AreaColourName(area + 1, 1));
  }

  directionPanel_ = FindControl(host, kDirectionPanel);
  speedPanel_ = FindControl(host, kSpeedPanel);
  brightnessPanel_ = FindControl(host, kBrightnessPanel);
  colourPanel_ = FindControl(host, kColourPanel);
  areaPanel_ = FindControl(host, kAreaPanel);
}

void LightingPanel::Detach() {
  *this = LightingPanel();
}

void LightingPanel::SyncToControls(const protocol::LightingTable& table, int ledMode) {
  if (!protocol::LightingTable::IsLedMode(ledMode)) {
    return;
  }
  const auto parameters = protocol::LightingParameters::Decode(ledMode, table[ledMode]);
  ShowPanels(protocol::kLightingEffects[static_cast<std::size_t>(ledMode)].parameters);
  if (brightnessSlider_ != nullptr) {
    brightnessSlider_->SetValue(parameters.brightness);
  }
  if (ledMode == protocol::LightingTable::kUserAreaMode) {
    for (std::size_t area = 0; area < areaGroups_.size(); ++area) {
      SelectOrNone(areaGroups_[area], parameters.areas[area], noAreaColourControls_[area]);
    }
    return;
  }
  if (speedSlider_ != nullptr) {
    speedSlider_->SetValue(parameters.speed);
  }
  SelectOrNone(colourGroup_, parameters.colour, noColourControl_);
  directionGroup_.Select(parameters.direction == protocol::LightingDirection::kRight
                             ? kDirectionRightIndex
                             : kDirectionLeftIndex);
}

void LightingPanel::SyncFromControls(protocol::LightingTable& table, int ledMode) const {
  if (protocol::LightingTable::IsLedMode(ledMode)) {
    table[ledMode] = ReadControls(ledMode).Encode(table[ledMode]);
  }
}

bool LightingPanel::IsLightingControlId(int id) {
  return (id >= kFirstDirectionId && id <= kLastDirectionId) ||
         (id >= kFirstColourId && id <= kLastColourId) ||
         (id >= kFirstAreaColourId && id <= kLastAreaColourId);
}

protocol::LightingParameters LightingPanel::ReadControls(int ledMode) const {
  protocol::LightingParameters parameters;
  parameters.ledMode = ledMode;
  parameters.brightness = brightnessSlider_ != nullptr ? brightnessSlider_->GetValue() : 0;
  parameters.speed = speedSlider_ != nullptr ? speedSlider_->GetValue() : 0;
  parameters.colour = ColourOf(colourGroup_.Value());
  // Neither direction checked counts as left.
  parameters.direction = directionGroup_.Value() == kDirectionRightIndex
                             ? protocol::LightingDirection::kRight
                             : protocol::LightingDirection::kLeft;
  for (std::size_t area = 0; area < areaGroups_.size(); ++area) {
    parameters.areas[area] = ColourOf(areaGroups_[area].Value());
  }
  return parameters;
}

void LightingPanel::ShowPanels(const protocol::EffectParameters& parameters) {
  SetVisible(directionPanel_, parameters.direction);
  SetVisible(speedPanel_, parameters.speed);
  SetVisible(brightnessPanel_, parameters.brightness);
  SetVisible(colourPanel_, parameters.colour);
  SetVisible(areaPanel_, parameters.areas);
}

void LightingPanel::SelectOrNone(ColourGroup& group, protocol::LightingColour colour,
                                 ui::SWindow* noneControl) {
  group.Select(MemberOf(colour));
  if (noneControl != nullptr) {
    noneControl->SetCheck(group.Value() < 0);
  }
}

}  // namespace keyloom::app

#include "app/LightingPanel.h"

#include <QString>
#include <cstddef>
#include <optional>

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

// Every group but direction has seven members after its "none" control.
constexpr int kColourChoices = 7;

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

}  // namespace

void LightingPanel::Attach(const ui::SHostWnd& host) {
  speedSlider_ = host.FindChildByName2<ui::SSliderBar>(QLatin1String(kSpeedSlider));
  brightnessSlider_ = host.FindChildByName2<ui::SSliderBar>(QLatin1String(kBrightnessSlider));

  directionGroup_.Clear();
  directionGroup_.Add(FindControl(host, QStringLiteral("radio_direction_left")));
  directionGroup_.Add(FindControl(host, QStringLiteral("radio_direction_right")));
  colourGroup_.Clear();
  for (int n = 1; n <= kColourChoices; ++n) {
    colourGroup_.Add(FindControl(host, ColourName(n)));
  }
  noColourControl_ = FindControl(host, ColourName(0));
  for (std::size_t area = 0; area < areaGroups_.size(); ++area) {
    areaGroups_[area].Clear();
    for (int n = 2; n <= kColourChoices + 1; ++n) {
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
  const std::optional<protocol::LightingControlDisplay> display =
      protocol::SyncLightingToControls(table, ledMode);
  if (!display) {
    return;
  }
  ShowPanels(display->panels);
  if (brightnessSlider_ != nullptr) {
    brightnessSlider_->SetValue(display->brightness);
  }
  if (display->areaValues) {
    for (std::size_t area = 0; area < areaGroups_.size(); ++area) {
      SelectOrNone(areaGroups_[area], (*display->areaValues)[area], noAreaColourControls_[area]);
    }
    return;
  }
  if (speedSlider_ != nullptr && display->speed) {
    speedSlider_->SetValue(*display->speed);
  }
  SelectOrNone(colourGroup_, display->colourIndex.value_or(-1), noColourControl_);
  directionGroup_.Select(display->directionIndex.value_or(0));
}

void LightingPanel::SyncFromControls(protocol::LightingTable& table, int ledMode) const {
  protocol::SyncLightingFromControls(table, ledMode, ReadControls());
}

bool LightingPanel::IsLightingControlId(int id) {
  return (id >= kFirstDirectionId && id <= kLastDirectionId) ||
         (id >= kFirstColourId && id <= kLastColourId) ||
         (id >= kFirstAreaColourId && id <= kLastAreaColourId);
}

protocol::LightingControlValues LightingPanel::ReadControls() const {
  protocol::LightingControlValues values;
  values.brightness = brightnessSlider_ != nullptr ? brightnessSlider_->GetValue() : 0;
  values.speed = speedSlider_ != nullptr ? speedSlider_->GetValue() : 0;
  values.colour = colourGroup_.Value();
  values.direction = directionGroup_.Value();
  for (std::size_t area = 0; area < areaGroups_.size(); ++area) {
    values.areas[area] = areaGroups_[area].Value();
  }
  return values;
}

void LightingPanel::ShowPanels(const protocol::LightingPanels& panels) {
  SetVisible(directionPanel_, panels.direction);
  SetVisible(speedPanel_, panels.speed);
  SetVisible(brightnessPanel_, panels.brightness);
  SetVisible(colourPanel_, panels.colourBar);
  SetVisible(areaPanel_, panels.userAreas);
}

void LightingPanel::SelectOrNone(ColourGroup& group, int index, ui::SWindow* noneControl) {
  group.Select(index);
  if (noneControl != nullptr) {
    noneControl->SetCheck(group.Value() < 0);
  }
}

}  // namespace keyloom::app

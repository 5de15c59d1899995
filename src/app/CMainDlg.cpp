#include "app/CMainDlg.h"

#include <QSystemTrayIcon>
#include <optional>
#include <utility>

#include "app/SingleInstanceGuard.h"
#include "controls/CoordButtonImage.h"
#include "controls/SShellNotifyIcon.h"
#include "protocol/LightingPanels.h"
#include "ui/EventArgs.h"
#include "ui/EventIds.h"
#include "ui/SComboBox.h"
#include "ui/SSliderBar.h"
#include "ui/SStatic.h"

namespace keyloom::app {

namespace {

// The value of the window property that marks the main window.
constexpr int kInstancePropertyValue = 1;

// Buttons of the title bar.
const QString kCloseButton = QStringLiteral("btn_close");
const QString kMinimizeButton = QStringLiteral("btn_min");

const QString kKeyboardPicture = QStringLiteral("img_keyboard");
const QString kLedModeCombo = QStringLiteral("cmb_led_mode");
// The lighting panels, each shown only for the effects that use it.
const QString kDirectionPanel = QStringLiteral("radio_direction_parent");
const QString kSpeedPanel = QStringLiteral("bar_speed_parent");
const QString kBrightnessPanel = QStringLiteral("bar_brightness_parent");
const QString kColourPanel = QStringLiteral("bar_color_parent");
const QString kAreaPanel = QStringLiteral("udef_area_parent");

void SetVisible(ui::SWindow* panel, bool visible) {
  if (panel != nullptr) {
    panel->setVisible(visible);
  }
}

}  // namespace

CMainDlg::CMainDlg(std::unique_ptr<KeyboardConnection> connection, QString instanceName)
    : ui::SHostWnd(QLatin1String(kLayoutName)),
      connection_(std::move(connection)),
      instanceName_(std::move(instanceName)) {}

CMainDlg::~CMainDlg() {
  if (keyboardPicture_ != nullptr) {
    keyboardPicture_->SetClickListener(nullptr);
  }
}

void CMainDlg::SetConnectionStatus(bool connected) {
  if (statusText_ != nullptr) {
    statusText_->SetText(QLatin1String(connected ? kConnectedText : kDisconnectedText));
  }
}

bool CMainDlg::OnCoordButtonClick(int /*id*/, const QString& /*name*/, int /*event*/,
                                  std::uint32_t /*flags*/, int /*x*/, int /*y*/) {
  return false;
}

void CMainDlg::OnInitDialog() {
  SetWindowProperty(instanceName_, kInstancePropertyValue);
  SingleInstanceGuard::MarkMainWindow(*this, instanceName_);

  keyboardPicture_ = FindChildByName2<controls::CoordButtonImage>(kKeyboardPicture);
  if (keyboardPicture_ != nullptr) {
    keyboardPicture_->SetClickListener(this);
  }

  ledModeCombo_ = FindChildByName2<ui::SComboBox>(kLedModeCombo);
  directionPanel_ = FindChildByName2<ui::SWindow>(kDirectionPanel);
  speedPanel_ = FindChildByName2<ui::SWindow>(kSpeedPanel);
  brightnessPanel_ = FindChildByName2<ui::SWindow>(kBrightnessPanel);
  colourPanel_ = FindChildByName2<ui::SWindow>(kColourPanel);
  areaPanel_ = FindChildByName2<ui::SWindow>(kAreaPanel);
  if (ledModeCombo_ != nullptr) {
    ledModeCombo_->Subscribe(ui::kEventComboSelectionChanged, [this](ui::EventArgs& args) {
      if (args.sender != nullptr && args.sender->IsClass(ui::SComboBox::kClassName)) {
        args.handled = true;
        ShowLightingPanels(args.index);
      }
    });
    ShowLightingPanels(ledModeCombo_->GetCurSel());
  }

  statusText_ = FindChildByID2<ui::SStatic>(kStatusTextId);
  trayIcon_ = FindChildByID2<controls::SShellNotifyIcon>(kTrayIconId);
  SetConnectionStatus(false);
}

void CMainDlg::OnDestroy() {
  RemoveWindowProperty(instanceName_);
  SingleInstanceGuard::UnmarkMainWindow(*this, instanceName_);
  if (keyboardPicture_ != nullptr) {
    keyboardPicture_->SetClickListener(nullptr);
    keyboardPicture_ = nullptr;
  }
  ledModeCombo_ = nullptr;
  directionPanel_ = nullptr;
  speedPanel_ = nullptr;
  brightnessPanel_ = nullptr;
  colourPanel_ = nullptr;
  areaPanel_ = nullptr;
  statusText_ = nullptr;
  trayIcon_ = nullptr;
  ui::SHostWnd::OnDestroy();
}

void CMainDlg::OnEvent(ui::EventArgs& args) {
  if (args.eventId != ui::kEventCommand) {
    return;
  }
  if (args.senderName == kCloseButton) {
    args.handled = true;
    DestroyWindow();
  } else if (args.senderName == kMinimizeButton) {
    args.handled = true;
    HideToTray();
  }
}

void CMainDlg::HideToTray() {
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    hide();
  } else {
    showMinimized();
  }
}

void CMainDlg::ShowLightingPanels(int ledMode) {
  const std::optional<protocol::LightingPanels> panels = protocol::LightingPanelsForMode(ledMode);
  if (!panels) {
    return;
  }
  SetVisible(directionPanel_, panels->direction);
  SetVisible(speedPanel_, panels->speed);
  SetVisible(brightnessPanel_, panels->brightness);
  SetVisible(colourPanel_, panels->colourBar);
  SetVisible(areaPanel_, panels->userAreas);
}

}  // namespace keyloom::app

#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/KeyboardConnection.h"
#include "controls/ICoordButtonClickListener.h"
#include "protocol/KeyboardState.h"
#include "protocol/LightingSync.h"
#include "protocol/SelectedKeys.h"
#include "ui/SHostWnd.h"

namespace keyloom::ui {
class SComboBox;
class SSliderBar;
class SStatic;
class SWindow;
}  // namespace keyloom::ui

namespace keyloom::controls {
class CoordButtonImage;
class SShellNotifyIcon;
}  // namespace keyloom::controls

namespace keyloom::app {

// The program's main window and its controller, built from LAYOUT:XML_MAINWND. It owns the
// keyboard connection and the program's view of the keyboard (profile, key slots, lighting),
// listens to the keyboard picture, answers the title bar's buttons and shows the lighting panels
// of the chosen effect.
//
// At initialisation it marks itself with the window property InstanceName (value 1), which a
// later start of the program looks for, makes itself the keyboard picture's click listener,
// shows the panels of the effect in "cmb_led_mode" and "Disconnected" until the keyboard is
// opened. Destroying it takes the mark away and ends the message loop with 1.
class CMainDlg : public ui::SHostWnd, public controls::ICoordButtonClickListener {
 public:
  static constexpr const char* kLayoutName = "LAYOUT:XML_MAINWND";
  // The status text ("version") and the tray icon are looked up by id.
  static constexpr int kStatusTextId = 65543;
  static constexpr int kTrayIconId = 110;

  // Texts of the status line; shown translated.
  static constexpr const char* kConnectedText = "Connected";
  static constexpr const char* kDisconnectedText = "Disconnected";

  CMainDlg(std::unique_ptr<KeyboardConnection> connection, QString instanceName);
  ~CMainDlg() override;

  // Writes "Connected" or "Disconnected" into the status text.
  void SetConnectionStatus(bool connected);

  // Presses and releases on the keyboard picture. It leaves the picture's own selection alone.
  bool OnCoordButtonClick(int id, const QString& name, int event, std::uint32_t flags, int x,
                          int y) override;

  void OnInitDialog() override;
  void OnDestroy() override;
  void OnEvent(ui::EventArgs& args) override;

  [[nodiscard]] KeyboardConnection& Connection() { return *connection_; }
  [[nodiscard]] const QString& InstanceName() const { return instanceName_; }

 private:
  // An ordered list of check-style controls that make one choice (lighting panel).
  using ColourGroup = std::vector<ui::SWindow*>;

  // "btn_min": hidden, to come back from the tray icon; where the desktop has no tray, minimised
  // instead, so that the window can always be brought back.
  void HideToTray();
  // Shows the parameter panels that LED mode `ledMode` uses and hides the others; a mode outside
  // 0-9 changes nothing.
  void ShowLightingPanels(int ledMode);

  std::unique_ptr<KeyboardConnection> connection_;
  QString instanceName_;

  // The keys the key assignment dialog is opened for.
  protocol::SelectedKeys selectedKeys_;
  // Profile index, key slot table and the lighting of every mode.
  protocol::KeyboardState keyboard_;

  // Controls of the window, not owned; set at initialisation, valid until the window is destroyed.
  controls::CoordButtonImage* keyboardPicture_ = nullptr;
  ui::SSliderBar* speedSlider_ = nullptr;
  ui::SSliderBar* brightnessSlider_ = nullptr;
  ColourGroup directionGroup_;
  ColourGroup colourGroup_;
  std::array<ColourGroup, protocol::kLightingAreaCount> areaGroups_;
  ui::SWindow* speedPanel_ = nullptr;
  ui::SWindow* brightnessPanel_ = nullptr;
  ui::SWindow* directionPanel_ = nullptr;
  ui::SWindow* colourPanel_ = nullptr;
  ui::SWindow* areaPanel_ = nullptr;
  ui::SComboBox* ledModeCombo_ = nullptr;
  ui::SComboBox* profileCombo_ = nullptr;
  ui::SStatic* statusText_ = nullptr;
  controls::SShellNotifyIcon* trayIcon_ = nullptr;
};

}  // namespace keyloom::app

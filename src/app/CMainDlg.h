#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "app/AutoProfileDialog.h"
#include "app/KeyDescriptions.h"
#include "app/KeyboardBackupFlow.h"
#include "app/KeyboardControls.h"
#include "app/LightingPanel.h"
#include "app/PermissionNotice.h"
#include "app/ResponsiveClock.h"
#include "app/TrayCommands.h"
#include "app/UserSettings.h"
#include "app/WindowPort.h"
#include "connection/KeyboardConnection.h"
#include "controls/ICoordButtonClickListener.h"
#include "protocol/KeyboardProtocol.h"
#include "ui/host/SHostWnd.h"

namespace keyloom::ui {
class SComboBox;
class SStatic;
struct EventArgs;
}  // namespace keyloom::ui

namespace keyloom::controls {
class CoordButtonImage;
}  // namespace keyloom::controls

namespace keyloom::app {

// The program's main window and its controller, built from LAYOUT:XML_MAINWND. It owns the
// keyboard connection, which owns the program's view of the keyboard (profile, key slots,
// lighting); the window shows that view and follows every change the connection tells of,
// whoever made it: the profile list, the marked keys with their tooltips and the list of
// assignments, the lighting controls. It opens the keyboard at the start and after every device
// change, switches profiles from "cmb_profile", drives the lighting panel, restores the factory
// settings, answers the title bar's buttons and the menus' commands, and listens to the keyboard
// picture. Its flows (the key assignment, the backup, the tray's housekeeping) see it through
// its WindowPort.
//
// Initialisation, in this order: the window property InstanceName (value 1), which a later start
// of the program looks for; the keyboard picture's click listener; "cmb_profile" and then
// "cmb_led_mode" on the profile and LED mode the key map last saw selected (else their first
// entries), each followed by its handler; the lighting controls, loaded from that mode's record
// as last sent (else its default; nothing is sent); the controls that send disabled. Then, from
// StartKeyboard, which the program calls once the window has been painted: the keyboard opened
// ("Connected", else the message "Failed to open USB" and "Disconnected"); then, opened or not,
// the profile selected and the key slots read, which marks the assigned keys. Destroying the
// window takes the mark away and ends the message loop.
class CMainDlg : public ui::SHostWnd,
                 public controls::ICoordButtonClickListener,
                 public WindowPort {
 public:
  static constexpr const char* kLayoutName = "LAYOUT:XML_MAINWND";
  // The status text ("version") and the tray icon are looked up by id.
  static constexpr int kStatusTextId = 65543;
  static constexpr int kTrayIconId = TrayCommands::kTrayIconId;
  // The highest profile index; a higher one selects nothing.
  static constexpr int kLastProfileIndex = 2;

  // Texts of the status line and the messages; shown translated.
  static constexpr const char* kConnectedText = "Connected";
  static constexpr const char* kDisconnectedText = "Disconnected";
  static constexpr const char* kFailedToOpenUsbText = "Failed to open USB";
  static constexpr const char* kSimulatorNotSavedText =
      "The simulated keyboard could not save its state: the change did not stick.";
  static constexpr const char* kSimulatorStateSetAsideText =
      "The simulated keyboard's state file could not be read; it was set aside and the keyboard "
      "starts from its factory settings.";
  static constexpr const char* kKeyMapKeptAsideText =
      "The key map could not be read: %1. Until the keys are assigned again, what the keyboard "
      "holds shows as assigned elsewhere.";
  static constexpr const char* kUserSettingsNotReadText =
      "Your settings file %1 could not be read (%2): it is not used, and it is kept aside when a "
      "setting is next saved.";
  static constexpr const char* kLightingNotTakenText =
      "The keyboard did not take the lighting change";
  // The factory restore: the question's button, and what came of it.
  static constexpr const char* kRestoreButtonText = "Restore factory settings";
  static constexpr const char* kRestoringText = "Restoring the factory settings…";
  static constexpr const char* kRestoredText = "The keyboard is back to its factory settings";
  static constexpr const char* kRestoreNotTakenText =
      "The keyboard did not take the factory restore";
  static constexpr const char* kLanguageNotKeptText =
      "The language could not be kept for the next start";
  // The named items of the "more" menu that choose the language.
  static constexpr const char* kChineseItem = "zh_cn";
  static constexpr const char* kEnglishItem = "jp";

  CMainDlg(std::unique_ptr<connection::KeyboardConnection> connection, QString instanceName);
  ~CMainDlg() override;

  // Writes "Connected" or "Disconnected" into the status text; while disconnected the controls
  // that send to the keyboard are disabled and a notice over the keyboard picture says so.
  void SetConnectionStatus(bool connected);

  // Opens the keyboard and shows "Connected"; when it cannot be opened, shows the message "Failed
  // to open USB" and "Disconnected", and when it was found but this user may not open it, the
  // permission notice too (until it connects). Reads nothing from the keyboard.
  bool ConnectKeyboard();

  // Opens the keyboard (ConnectKeyboard), selects the profile and reads its key slots: the
  // start's transfers, which the window makes once it has been shown.
  void StartKeyboard();
  [[nodiscard]] bool Started() const { return started_; }

  // Every device change of the system, once the keyboard was started: when it is not there,
  // "Disconnected" (the old handle stays); otherwise it is opened again and, once connected, its
  // profile selected and its key slots read again.
  void OnDeviceChange() override;

  // Marks the keys of the connection's slot table on the keyboard picture: every key unchecked,
  // then the first key with each code of the table checked. When the table was read whole, each
  // assigned key's tooltip says what it does as far as the key map knows it, and a key that
  // plays an older copy of a macro of the library is marked; the list of assignments shows the
  // same.
  void MarkAssignedKeys() override;
  // What the keys of the shown profile do, as MarkAssignedKeys last found it.
  [[nodiscard]] const std::vector<KeyDescription>& Assignments() const { return assignments_; }
  // Opens the key assignment dialog for the key `keyCode` of the picture, as a click on it does.
  void OpenKeyDialog(int keyCode);

  // Tells the user `text` (translated) in the window, on its notice line: what came of what they
  // just did there; in place of `replacing`, when that is shown (what was being done).
  void Tell(const QString& text, const QString& replacing = QString()) override;

  // What the window tells after a factory restore: done, not taken (the restore frame failed),
  // or not confirmed (the slot read after it was not whole).
  [[nodiscard]] static const char* RestoreOutcomeText(const protocol::RestoreResult& restored);

  // Switches every text of the window to Chinese ("lang_cn") or English ("lang_en") at once, and
  // keeps the choice for the next start in the user's settings (a save that fails is told).
  // Nothing changes when the skin lacks that translation.
  void SwitchLanguage(bool chinese);

  // What the rules page of profiles that follow the application works on ("auto_profile" of the
  // "more" menu); by default no file, and the page does not open.
  void SetAutoProfileEnvironment(AutoProfileDialog::Environment environment) {
    autoProfile_ = std::move(environment);
  }
  // Opens the rules page, modal.
  void ShowAutoProfileRules();

  // Where the window keeps the language and its size for the next start; by default nowhere.
  void SetUserSettings(UserSettings settings) { userSettings_ = std::move(settings); }

  // The clock of the connection's pauses, when it keeps the window alive through them (not
  // owned): what would send frames while a sequence pauses then waits until it is over (device
  // changes, profiles chosen for the focused window, tray commands) or is dropped (commands of
  // the window's controls, which only input that the pause drops could start). By default none.
  void SetResponsiveClock(ResponsiveClock* clock) { responsiveClock_ = clock; }
  [[nodiscard]] ResponsiveClock* SequenceClock() const override { return responsiveClock_; }

  // The current entry of "cmb_profile"; -1 for none, or without the combobox.
  [[nodiscard]] int GetProfileEntry() const;
  // The entry of "cmb_profile"; without the combobox, the connection's profile.
  [[nodiscard]] int ShownProfile() const override;
  // Picks the profile `index` (0-2) as a pick in "cmb_profile" does: the list shows it, the
  // profile is selected and its key slots read. Nothing when it is shown already.
  void ShowProfile(int index) override;
  void ShowLighting(std::optional<int> ledMode) override;
  [[nodiscard]] QString LedModeName(int ledMode) const override;
  void ShowMenuUnder(const QString& buttonName, const ui::PopupMenu& menu) override;
  // "Disconnected" and the keyboard let go of; ConnectKeyboard.
  void Disconnect() override;
  bool Reconnect() override { return ConnectKeyboard(); }
  [[nodiscard]] controls::CoordButtonImage* GetKeyboardPicture() const { return keyboardPicture_; }
  // The owner of the window's message boxes and dialogs.
  [[nodiscard]] QWidget* Owner() override { return this; }

  // Presses and releases on the keyboard picture. It leaves the picture's own selection alone.
  bool OnCoordButtonClick(int id, const QString& name, int event, std::uint32_t flags, int x,
                          int y) override;

  void OnInitDialog() override;
  void OnDestroy() override;
  // Menu commands with notification code 0: 1 runs the upgrade program, 6 asks the window to
  // close. Other codes are ignored.
  void OnCommand(int notifyCode, int id) override;
  // The "more" menu and the tray menu mark the language shown, and offer the upgrade only when
  // there is an upgrade program.
  void OnInitMenu(ui::PopupMenu& menu) override;
  void OnEvent(ui::EventArgs& args) override;

  [[nodiscard]] connection::KeyboardConnection& Connection() { return *connection_; }
  [[nodiscard]] const QString& InstanceName() const { return instanceName_; }
  [[nodiscard]] TrayCommands& GetTrayCommands() { return trayCommands_; }
  [[nodiscard]] const PermissionNotice& GetPermissionNotice() const { return permissionNotice_; }

 protected:
  // The system's device-change message (Windows), answered with 0.
  bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  // Whether `work` (keyed by `key`) was put off until the sequences that keep the window busy
  // now are over.
  bool PutOffWhileBusy(const void* key, const std::function<void()>& work);
  [[nodiscard]] bool Pausing() const {
    return responsiveClock_ != nullptr && responsiveClock_->Pausing();
  }
  // Selects the shown profile and reads its key slots, when the profile index is at most 2.
  void ReloadProfile();
  // Shows what the connection tells of: the profile in "cmb_profile" (nothing is sent), the
  // marked keys, and the lighting controls where they do not show the mode's record.
  void OnKeyboardChanged(const connection::KeyboardConnection::StateChange& change);
  // The lighting controls loaded from the connection's record of the LED mode of
  // "cmb_led_mode".
  void LoadLightingControls();
  // Where the record that SendLighting sends comes from.
  enum class LightingFrom { kControls, kConnection };
  // Sends the record of the LED mode of "cmb_led_mode" as the lighting controls show it or as
  // the connection has it; nothing for an entry outside 0-9. A send that fails is told.
  void SendLighting(LightingFrom from);
  // Tells the user, once each, of a key map moved aside because it could not be read, and of what
  // the simulated keyboard could not do with its state file.
  void ReportFileTrouble();
  // Selection changes of "cmb_profile" and "cmb_led_mode".
  void OnProfileChanged(ui::EventArgs& args);
  void OnLedModeChanged(ui::EventArgs& args);
  // "btn_restore_factory": asks, restores the keyboard, and brings the controls back to LED
  // mode 0 and the first profile.
  void RestoreFactorySettings();
  // "btn_assignments": the list of the shown profile's assignments; a row opens its key's
  // dialog.
  void ShowAssignmentsMenu();
  // "btn_min": hidden, to come back from the tray icon; where the desktop has no tray, minimised
  // instead, so that the window can always be brought back.
  void HideToTray();
  // Keeps the window's size (as it is when not maximised) in the user's settings.
  void SaveWindowSize();

  std::unique_ptr<connection::KeyboardConnection> connection_;
  QString instanceName_;

  // What the keys of the shown profile do.
  std::vector<KeyDescription> assignments_;

  // Controls of the window, not owned; set at initialisation, valid until the window is destroyed.
  controls::CoordButtonImage* keyboardPicture_ = nullptr;
  LightingPanel lightingPanel_;
  ui::SComboBox* ledModeCombo_ = nullptr;
  ui::SComboBox* profileCombo_ = nullptr;
  ui::SStatic* statusText_ = nullptr;
  PermissionNotice permissionNotice_;
  KeyboardControls keyboardControls_;
  TrayCommands trayCommands_;
  KeyboardBackupFlow backupFlow_;
  UserSettings userSettings_;
  AutoProfileDialog::Environment autoProfile_;
  ResponsiveClock* responsiveClock_ = nullptr;
  // StartKeyboard has run.
  bool started_ = false;
  // The simulated keyboard's state file set aside that the user was told of.
  std::filesystem::path reportedStateAside_;
  std::optional<std::filesystem::path> reportedKeyMapAside_;
  // The window's place among the connection's listeners, from initialisation to destruction.
  connection::KeyboardConnection::Subscription keyboardChanges_;
};

}  // namespace keyloom::app

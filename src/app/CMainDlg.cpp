#include "app/CMainDlg.h"

#include <QSystemTrayIcon>
#include <string_view>
#include <utility>

#include "app/KeyAssignmentFlow.h"
#include "app/Language.h"
#include "app/RecordFailure.h"
#include "app/SingleInstanceGuard.h"
#include "controls/CoordButtonImage.h"
#include "hid/DeviceChangeMessage.h"
#include "macro/AssignmentStore.h"
#include "macro/MacroLibrary.h"
#include "macro_dialog/FreeSlotsLine.h"
#include "protocol/CommandFrame.h"
#include "protocol/KeyNameTable.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/UserTexts.h"
#include "settings/AppPaths.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/PopupMenu.h"
#include "ui/host/SApplication.h"
#include "ui/host/SMessageBox.h"
#include "ui/widgets/SComboBox.h"
#include "ui/widgets/SSliderBar.h"
#include "ui/widgets/SStatic.h"

namespace keyloom::app {

namespace {

// The value of the window property that marks the main window.
constexpr int kInstancePropertyValue = 1;

// Buttons of the title bar and the window.
constexpr QLatin1StringView kMoreButton("btn_more");
constexpr QLatin1StringView kCloseButton("btn_close");
constexpr QLatin1StringView kMinimizeButton("btn_min");
constexpr QLatin1StringView kMaximizeButton("btn_max");
constexpr QLatin1StringView kRestoreButton("btn_restore");
constexpr QLatin1StringView kRestoreFactoryButton("btn_restore_factory");
constexpr QLatin1StringView kLogoLink("logo_link");

constexpr QLatin1StringView kAutoProfileItem("auto_profile");
constexpr QLatin1StringView kAssignmentsButton("btn_assignments");
// The list of assignments; its item with this command stands for an empty list, and each key's
// item is named with this prefix and the key code.
constexpr QLatin1StringView kAssignmentsMenu("SMENUEX:menu_assignments");
constexpr int kNoAssignmentsItem = 2;
constexpr QLatin1StringView kAssignedKeyItem("assigned_key_");

constexpr QLatin1StringView kKeyboardPicture("img_keyboard");
constexpr QLatin1StringView kProfileCombo("cmb_profile");
constexpr QLatin1StringView kLedModeCombo("cmb_led_mode");

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Keys of the work put off while a sequence pauses: one of each kind waits.
constexpr char kDeviceChangeWork = 0;
constexpr char kShowProfileWork = 0;
constexpr char kTrayCommandWork = 0;

bool IsLightingSlider(const ui::EventArgs& args) {
  return args.sender != nullptr && args.sender->IsClass(ui::SSliderBar::kClassName) &&
         (args.senderName == QLatin1String(LightingPanel::kSpeedSlider) ||
          args.senderName == QLatin1String(LightingPanel::kBrightnessSlider));
}

}  // namespace

CMainDlg::CMainDlg(std::unique_ptr<connection::KeyboardConnection> connection, QString instanceName)
    : ui::SHostWnd(QLatin1String(kLayoutName)),
      connection_(std::move(connection)),
      instanceName_(std::move(instanceName)),
      trayCommands_(*this),
      backupFlow_(*connection_, *this) {}

CMainDlg::~CMainDlg() {
  if (keyboardPicture_ != nullptr) {
    keyboardPicture_->SetClickListener(nullptr);
  }
  trayCommands_.Detach();
}

void CMainDlg::SetConnectionStatus(bool connected) {
  if (statusText_ != nullptr) {
    statusText_->SetText(QLatin1String(connected ? kConnectedText : kDisconnectedText));
  }
  keyboardControls_.Show(connected, permissionNotice_.IsShown());
}

bool CMainDlg::ConnectKeyboard() {
  if (connection_->Open()) {
    permissionNotice_.Hide();
    SetConnectionStatus(true);
    return true;
  }
  trayCommands_.ShowMessage(kFailedToOpenUsbText);
  const hid::HidDevice& device = connection_->Device();
  if (device.state() == hid::HidDevice::State::kFailed &&
      device.lastOpenError() == hid::OpenError::kAccessDenied) {
    permissionNotice_.Show(device.lastOpenPath());
  } else {
    permissionNotice_.Hide();
  }
  SetConnectionStatus(false);
  return false;
}

bool CMainDlg::PutOffWhileBusy(const void* key, const std::function<void()>& work) {
  if (responsiveClock_ == nullptr || !responsiveClock_->Busy()) {
    return false;
  }
  responsiveClock_->RunWhenIdle(key, work);
  return true;
}

void CMainDlg::OnDeviceChange() {
  // Before the start, StartKeyboard finds the keyboard as it is then.
  if (!started_ || PutOffWhileBusy(&kDeviceChangeWork, [this] { OnDeviceChange(); })) {
    return;
  }
  if (!connection_->IsKeyboardPresent()) {
    permissionNotice_.Hide();
    SetConnectionStatus(false);
    return;
  }
  if (ConnectKeyboard()) {
    ReloadProfile();
  }
}

void CMainDlg::MarkAssignedKeys() {
  if (keyboardPicture_ == nullptr) {
    return;
  }
  const protocol::KeyboardState& keyboard = connection_->State();
  keyboardPicture_->SetButtonChecked(controls::CoordButtonImage::kAllButtons, false);
  for (const std::uint8_t keyCode : keyboard.slots.bytes()) {
    if (keyCode != 0) {
      keyboardPicture_->SetButtonChecked(keyCode, true);
    }
  }
  macro::ShowFreeSlotsLine(*this, keyboard);

  assignments_.clear();
  if (keyboard.slotsWhole && keymap::IsProfileIndex(keyboard.profileIndex)) {
    // The library is read only when a key plays a macro, to tell whether it was changed since.
    macro::MacroLibrary library;
    assignments_ = DescribeAssignments(
        connection_->KeyMap().Assignments(keyboard.profileIndex, keyboard.slots),
        [this](std::uint8_t keyCode) {
          const QString shown = keyboardPicture_->ButtonName(keyCode);
          return shown.isEmpty() ? QString::fromStdString(protocol::UsageName(keyCode)) : shown;
        },
        [&library]() -> const macro::MacroLibrary* {
          const std::filesystem::path file = macro::AssignmentStore::Global().path().parent_path() /
                                             settings::PathFromUtf8(macro::kMacroLibraryFileName);
          return library.Load(file).ok() ? &library : nullptr;
        });
  }
  QHash<int, QString> tips;
  QSet<int> olderCopies;
  for (const KeyDescription& description : assignments_) {
    QString tip = description.text;
    if (description.olderCopy) {
      tip += QLatin1Char('\n') +
             Translated(kOlderCopyText).arg(QString::fromStdString(description.content.name));
      olderCopies.insert(description.keyCode);
    }
    tips.insert(description.keyCode, tip);
  }
  keyboardPicture_->SetButtonTips(std::move(tips), std::move(olderCopies));
}

void CMainDlg::ShowAutoProfileRules() {
  if (autoProfile_.rulesFile.empty()) {
    return;
  }
  AutoProfileDialog dialog(autoProfile_);
  dialog.Exec(Owner());
}

void CMainDlg::OpenKeyDialog(int keyCode) {
  const QString name =
      keyboardPicture_ != nullptr ? keyboardPicture_->ButtonName(keyCode) : QString();
  OnCoordButtonClick(keyCode, name, controls::ICoordButtonClickListener::kEventRelease, 0, 0, 0);
}

void CMainDlg::ShowAssignmentsMenu() {
  std::optional<ui::PopupMenu> menu = ui::PopupMenu::Load(kAssignmentsMenu);
  if (!menu) {
    return;
  }
  if (!assignments_.empty()) {
    menu->RemoveItem(kNoAssignmentsItem);
  }
  for (const KeyDescription& description : assignments_) {
    ui::PopupMenu::Item item;
    item.name = kAssignedKeyItem + QString::number(description.keyCode);
    // A menu row is one line.
    const QString text =
        QString(description.text).replace(QLatin1Char('\n'), QStringLiteral(" · "));
    item.text = description.olderCopy ? Translated(kOlderCopyListText).arg(text) : text;
    menu->AppendItem(std::move(item));
  }
  ShowMenuUnder(kAssignmentsButton, *menu);
}

void CMainDlg::ShowMenuUnder(const QString& buttonName, const ui::PopupMenu& menu) {
  if (const auto* button = FindChildByName2<ui::SWindow>(buttonName)) {
    menu.TrackPopupMenu(TrayCommands::MoreMenuPosition(*button), *this);
  }
}

void CMainDlg::LoadLightingControls() {
  const int ledMode = ledModeCombo_ != nullptr ? ledModeCombo_->GetCurSel() : -1;
  lightingPanel_.SyncToControls(connection_->State().lighting, ledMode);
}

void CMainDlg::ShowLighting(std::optional<int> ledMode) {
  if (ledMode && ledModeCombo_ != nullptr) {
    ledModeCombo_->SetCurSel(*ledMode, false);
  }
  LoadLightingControls();
}

QString CMainDlg::LedModeName(int ledMode) const {
  return ledModeCombo_ != nullptr && ledMode < ledModeCombo_->GetCount()
             ? ledModeCombo_->GetItemDisplayText(ledMode)
             : QString::number(ledMode);
}

void CMainDlg::SendLighting(LightingFrom from) {
  const int ledMode = ledModeCombo_ != nullptr ? ledModeCombo_->GetCurSel() : -1;
  protocol::LightingTable lighting = connection_->State().lighting;
  if (from == LightingFrom::kControls) {
    lightingPanel_.SyncFromControls(lighting, ledMode);
  }
  const protocol::LightingRecord record =
      protocol::LightingTable::IsLedMode(ledMode) ? lighting[ledMode] : protocol::LightingRecord{};
  if (!connection_->SendLighting(ledMode, record).ok()) {
    Tell(Translated(kLightingNotTakenText));
  }
  ReportFileTrouble();
}

void CMainDlg::OnKeyboardChanged(const connection::KeyboardConnection::StateChange& change) {
  const protocol::KeyboardState& keyboard = connection_->State();
  if (change.profile && profileCombo_ != nullptr && GetProfileEntry() != keyboard.profileIndex) {
    profileCombo_->SetCurSel(keyboard.profileIndex, false);
  }
  if (change.slots) {
    MarkAssignedKeys();
  }
  if (change.lighting) {
    // Controls that show the record already stay as they are: a change made from them.
    const int ledMode = ledModeCombo_ != nullptr ? ledModeCombo_->GetCurSel() : -1;
    protocol::LightingTable shown = keyboard.lighting;
    lightingPanel_.SyncFromControls(shown, ledMode);
    if (!(shown == keyboard.lighting)) {
      LoadLightingControls();
    }
  }
  if (const auto& failure = connection_->LastRecordFailure(); change.notRecorded && failure) {
    if (change.lighting && failure->nothingSent) {
      // The LED mode list shows a mode that was not sent: back to the one the keyboard shows,
      // as at the start.
      ShowLighting(connection_->KeyMap().LedMode().value_or(0));
    }
    Tell(RecordFailureText(*failure));
  }
}

void CMainDlg::Tell(const QString& text, const QString& replacing) {
  trayCommands_.Tell(text, replacing);
}

const char* CMainDlg::RestoreOutcomeText(const protocol::RestoreResult& restored) {
  const auto& failure = restored.transfers.firstFailure();
  if (failure && failure->frame == protocol::CommandFrame::RestoreFactory().report()) {
    return kRestoreNotTakenText;
  }
  return restored.slotsWhole ? kRestoredText : KeyAssignmentFlow::kUnconfirmedText;
}

void CMainDlg::ReportFileTrouble() {
  if (const auto& keyMap = connection_->KeyMapKeptAside();
      keyMap && keyMap->keptAs != reportedKeyMapAside_) {
    reportedKeyMapAside_ = keyMap->keptAs;
    Tell(Translated(kKeyMapKeptAsideText).arg(FromUtf8(keyMap->problem)));
  }
  const auto aside = connection_->SimulatorStateKeptAside();
  if (aside && *aside != reportedStateAside_) {
    reportedStateAside_ = *aside;
    trayCommands_.ShowMessage(kSimulatorStateSetAsideText);
  }
  if (connection_->SimulatorProblem()) {
    trayCommands_.ShowMessage(kSimulatorNotSavedText);
  }
}

void CMainDlg::SwitchLanguage(bool chinese) {
  ui::SApplication* app = ui::SApplication::Instance();
  if (app == nullptr || !InstallTranslator(*app, TranslatorNameFor(chinese))) {
    return;
  }
  SendLanguageChanged();
  permissionNotice_.Retranslate();
  // The keys' tooltips and the list of assignments are kept translated.
  MarkAssignedKeys();
  if (!userSettings_.SaveLanguage(chinese).ok()) {
    Tell(Translated(kLanguageNotKeptText));
  }
}

void CMainDlg::OnInitMenu(ui::PopupMenu& menu) {
  const ui::SApplication* app = ui::SApplication::Instance();
  const bool chinese = app != nullptr && ShowsChinese(*app);
  menu.SetChecked(QLatin1String(kChineseItem), chinese);
  menu.SetChecked(QLatin1String(kEnglishItem), !chinese);
  if (trayCommands_.FindUpgradeProgram().isEmpty()) {
    menu.RemoveItem(TrayCommands::kCommandUpgrade);
  }
  KeyboardBackupFlow::OnInitMenu(menu, keyboardControls_.Connected());
}

void CMainDlg::SaveWindowSize() {
  if (!IsScaled()) {
    return;
  }
  const QSize shown = isMaximized() || isFullScreen() ? normalGeometry().size() : size();
  if (!shown.isEmpty()) {
    // The window is closing: a size that cannot be kept costs only its size at the next start.
    (void)userSettings_.SaveWindowSize(shown);
  }
}

int CMainDlg::GetProfileEntry() const {
  return profileCombo_ != nullptr ? profileCombo_->GetCurSel() : -1;
}

int CMainDlg::ShownProfile() const {
  return profileCombo_ != nullptr ? GetProfileEntry() : connection_->State().profileIndex;
}

void CMainDlg::ShowProfile(int index) {
  if (PutOffWhileBusy(&kShowProfileWork, [this, index] { ShowProfile(index); })) {
    return;
  }
  if (profileCombo_ != nullptr) {
    profileCombo_->SetCurSel(index, true);
  } else if (index != connection_->State().profileIndex && index <= kLastProfileIndex) {
    connection_->SelectProfile(index);
    ReportFileTrouble();
  }
}

void CMainDlg::Disconnect() {
  connection_->Close();
  SetConnectionStatus(false);
}

bool CMainDlg::OnCoordButtonClick(int id, const QString& name, int event, std::uint32_t /*flags*/,
                                  int /*x*/, int /*y*/) {
  KeyAssignmentFlow::Context context{.keyboardConnection = *connection_,
                                     .window = *this,
                                     .profileEntry = GetProfileEntry(),
                                     .dialog = {}};
  const bool handled = KeyAssignmentFlow::OnCoordButtonClick(context, id, name, event);
  ReportFileTrouble();
  return handled;
}

void CMainDlg::OnInitDialog() {
  SetWindowProperty(instanceName_, kInstancePropertyValue);
  SingleInstanceGuard::MarkMainWindow(*this, instanceName_);

  keyboardPicture_ = FindChildByName2<controls::CoordButtonImage>(kKeyboardPicture);
  if (keyboardPicture_ != nullptr) {
    keyboardPicture_->SetClickListener(this);
  }

  // The window starts as the keyboard was left, by either program: on the profile last
  // selected and with the lighting last sent, as the connection starts (nothing is sent for it;
  // the profile is selected and read from StartKeyboard). What the key map does not know starts
  // from the first profile, LED mode 0 and each mode's default record.
  const keymap::KeyMap& known = connection_->KeyMap();
  profileCombo_ = FindChildByName2<ui::SComboBox>(kProfileCombo);
  if (profileCombo_ != nullptr) {
    profileCombo_->SetCurSel(connection_->State().profileIndex, true);
    profileCombo_->Subscribe(ui::kEventComboSelectionChanged,
                             [this](ui::EventArgs& args) { OnProfileChanged(args); });
  }
  ledModeCombo_ = FindChildByName2<ui::SComboBox>(kLedModeCombo);
  if (ledModeCombo_ != nullptr) {
    ledModeCombo_->SetCurSel(known.LedMode().value_or(0), true);
    ledModeCombo_->Subscribe(ui::kEventComboSelectionChanged,
                             [this](ui::EventArgs& args) { OnLedModeChanged(args); });
  }

  lightingPanel_.Attach(*this);
  LoadLightingControls();

  statusText_ = FindChildByID2<ui::SStatic>(kStatusTextId);
  trayCommands_.Attach(*this);
  keyboardChanges_ =
      connection_->Subscribe([this](const connection::KeyboardConnection::StateChange& change) {
        OnKeyboardChanged(change);
      });
  permissionNotice_.Attach(this);
  keyboardControls_.Attach(this);
  // Nothing sends before StartKeyboard; no notice says so meanwhile.
  keyboardControls_.Show(false, true);
}

void CMainDlg::StartKeyboard() {
  started_ = true;
  if (const settings::AppConfig::Layers& layers = settings::AppConfig::GlobalLayers();
      layers.userPresent && !layers.user) {
    Tell(Translated(kUserSettingsNotReadText)
             .arg(QString::fromStdU16String(userSettings_.File().u16string()),
                  FromUtf8(layers.userProblem)));
  }
  ConnectKeyboard();
  ReloadProfile();
  ReportFileTrouble();
}

void CMainDlg::OnDestroy() {
  SaveWindowSize();
  keyboardChanges_.Reset();
  RemoveWindowProperty(instanceName_);
  SingleInstanceGuard::UnmarkMainWindow(*this, instanceName_);
  if (keyboardPicture_ != nullptr) {
    keyboardPicture_->SetClickListener(nullptr);
    keyboardPicture_ = nullptr;
  }
  lightingPanel_.Detach();
  ledModeCombo_ = nullptr;
  profileCombo_ = nullptr;
  statusText_ = nullptr;
  permissionNotice_.Attach(nullptr);
  keyboardControls_.Attach(nullptr);
  trayCommands_.Detach();
  ui::SHostWnd::OnDestroy();
}

void CMainDlg::OnCommand(int notifyCode, int id) {
  if (notifyCode != 0 || PutOffWhileBusy(&kTrayCommandWork, [this, id] { OnCommand(0, id); })) {
    return;
  }
  if (id == TrayCommands::kCommandUpgrade) {
    trayCommands_.RunUpgrade();
  } else if (id == TrayCommands::kCommandExit) {
    PostCloseRequest();
  }
}

void CMainDlg::OnEvent(ui::EventArgs& args) {
  if (Pausing()) {
    return;
  }
  if (args.eventId == ui::kEventSliderPos && IsLightingSlider(args)) {
    args.handled = true;
    SendLighting(LightingFrom::kControls);
    return;
  }
  if (args.eventId != ui::kEventCommand) {
    return;
  }
  const QString& name = args.senderName;
  if (name == kMoreButton) {
    trayCommands_.ShowMoreMenu();
  } else if (name == kAutoProfileItem) {
    ShowAutoProfileRules();
  } else if (name == kAssignmentsButton) {
    ShowAssignmentsMenu();
  } else if (name.startsWith(kAssignedKeyItem)) {
    OpenKeyDialog(name.mid(kAssignedKeyItem.size()).toInt());
  } else if (name == kCloseButton) {
    DestroyWindow();
  } else if (name == kMinimizeButton) {
    HideToTray();
  } else if (name == kMaximizeButton) {
    SendSysCommand(kSysCommandMaximize);
  } else if (name == kRestoreButton) {
    SendSysCommand(kSysCommandRestore);
  } else if (name == QLatin1String(kChineseItem)) {
    SwitchLanguage(true);
  } else if (name == QLatin1String(kEnglishItem)) {
    SwitchLanguage(false);
  } else if (name == kRestoreFactoryButton) {
    RestoreFactorySettings();
  } else if (name == kLogoLink) {
    TrayCommands::OpenMakerPage();
  } else if (name == QLatin1String(PermissionNotice::kCopyButtonName)) {
    PermissionNotice::CopyCommand();
    trayCommands_.ShowMessage(PermissionNotice::kCopiedText);
  } else if (backupFlow_.OnCommand(name)) {
    ReportFileTrouble();
  } else if (LightingPanel::IsLightingControlId(args.senderId)) {
    SendLighting(LightingFrom::kControls);
  } else {
    return;
  }
  args.handled = true;
}

bool CMainDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
  const std::string_view type(eventType.constData(), static_cast<std::size_t>(eventType.size()));
  if (hid::IsDeviceChangeMessage(type, message)) {
    OnDeviceChange();
    *result = 0;
    return true;
  }
  return ui::SHostWnd::nativeEvent(eventType, message, result);
}

void CMainDlg::ReloadProfile() {
  const int profileIndex = ShownProfile();
  if (profileIndex > kLastProfileIndex) {
    return;
  }
  connection_->SelectProfile(profileIndex);
  ReportFileTrouble();
}

void CMainDlg::OnProfileChanged(ui::EventArgs& args) {
  if (args.sender == nullptr || !args.sender->IsClass(ui::SComboBox::kClassName)) {
    return;
  }
  args.handled = true;
  ReloadProfile();
}

void CMainDlg::OnLedModeChanged(ui::EventArgs& args) {
  if (args.sender == nullptr || !args.sender->IsClass(ui::SComboBox::kClassName)) {
    return;
  }
  args.handled = true;
  LoadLightingControls();
  SendLighting(LightingFrom::kConnection);
}

void CMainDlg::RestoreFactorySettings() {
  if (ui::SMessageBox::Show(Owner(), FromUtf8(protocol::kRestoreFactoryQuestion),
                            FromUtf8(protocol::kWarningCaption), ui::MessageBoxButtons::kOkCancel,
                            ui::MessageBoxIcon::kWarning,
                            {QLatin1String(kRestoreButtonText)}) != ui::SMessageBox::kIdOk) {
    return;
  }
  // The restore takes a second: the window says what it is doing meanwhile.
  Tell(Translated(kRestoringText));
  const protocol::RestoreResult restored = connection_->RestoreFactory([this] {
    // Each selection runs its handler when the entry changes: LED mode 0's default record is
    // sent, the first profile selected and read.
    if (ledModeCombo_ != nullptr) {
      ledModeCombo_->SetCurSel(0, true);
    }
    LoadLightingControls();
    if (profileCombo_ != nullptr) {
      profileCombo_->SetCurSel(connection_->State().profileIndex, true);
    }
  });
  Tell(Translated(RestoreOutcomeText(restored)), Translated(kRestoringText));
  ReportFileTrouble();
}

void CMainDlg::HideToTray() {
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    hide();
  } else {
    showMinimized();
  }
}

}  // namespace keyloom::app

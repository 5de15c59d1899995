#include "macro_dialog/MacroRecordDlg.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "controls/SCheckBoxEx.h"
#include "controls/SKeyCaps.h"
#include "controls/STabCtrl2.h"
#include "keymap/ContentBuilder.h"
#include "macro/MacroSlotRoom.h"
#include "macro/RepeatCount.h"
#include "macro_dialog/CMacroGroupAdapter.h"
#include "macro_dialog/FileDialogs.h"
#include "macro_dialog/KeyAndDelayAdapter.h"
#include "macro_dialog/KeyboardCapture.h"
#include "macro_dialog/WholeText.h"
#include "protocol/KeyNameTable.h"
#include "protocol/SteadyClock.h"
#include "settings/AppPaths.h"
#include "settings/NumberText.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/SApplication.h"
#include "ui/widgets/SCheckBox.h"
#include "ui/widgets/SComboBox.h"
#include "ui/widgets/SEdit.h"
#include "ui/widgets/SListView.h"
#include "ui/widgets/SMcListView.h"
#include "ui/widgets/SStatic.h"

namespace keyloom::macro {

namespace {

// Controls looked up by name.
constexpr QLatin1StringView kKeysText("text_recording_keys");
constexpr QLatin1StringView kPages("tab_macro_mode_selection");
constexpr QLatin1StringView kGroupList("macro_group");
constexpr QLatin1StringView kEventList("key_info");
constexpr QLatin1StringView kRepeatEdit("edit_macro_repeat_times");
constexpr QLatin1StringView kFixedDelayEdit("edit_macro_delay_time");
constexpr QLatin1StringView kRecordBox("chk_macro_record");
constexpr QLatin1StringView kSingleRecordBox("chk_single_record");
constexpr QLatin1StringView kSingleKeyText("edit_single_key");
constexpr QLatin1StringView kMediaKeys("cmb_media_keys");
constexpr QLatin1StringView kFunctionKeys("cmb_function_keys");
constexpr QLatin1StringView kFileProblem("text_file_problem");
constexpr QLatin1StringView kRepeatProblem("text_repeat_problem");
constexpr QLatin1StringView kFreeSlots("text_free_slots");
constexpr QLatin1StringView kMediaPicture("img_media_keys");
constexpr QLatin1StringView kShortcutPicture("img_function_keys");

// The delay-mode boxes, looked up and told apart by id, in the order of DelayMode.
constexpr std::array<int, 3> kDelayModeBoxIds = {65570, 65571, 65572};

// Buttons, told apart by name.
constexpr QLatin1StringView kRestoreButton("btnRestore");
constexpr QLatin1StringView kMinimizeButton("btnMin");
constexpr QLatin1StringView kOkButton("btnOK");
constexpr QLatin1StringView kDeleteButton("btnDelete");
constexpr QLatin1StringView kCancelButton("btnCancel");
constexpr QLatin1StringView kAddGroupButton("groupAdd");
constexpr QLatin1StringView kDeleteGroupButton("groupDel");
constexpr QLatin1StringView kImportButton("groupImport");
constexpr QLatin1StringView kExportButton("groupExport");
constexpr QLatin1StringView kUpButton("item_up");
constexpr QLatin1StringView kDownButton("item_down");
constexpr QLatin1StringView kDeleteEventButton("item_delete");
constexpr QLatin1StringView kClearButton("item_clear");

// Texts the dialog shows; translated by the controls.
constexpr const char* kStartRecordText = "Start record";
constexpr const char* kStopRecordText = "Stop record";
constexpr const char* kNotSavedText = "Your changes could not be saved.";
constexpr const char* kNotReadText = "A file could not be read; it was kept aside.";
constexpr const char* kNotReadLeftText = "A file could not be read; nothing is saved over it.";
constexpr const char* kNotImportedText = "The macros could not be imported.";
constexpr const char* kPartlyImportedText =
    "Some groups of the file could not be read and were left out.";
constexpr const char* kNotExportedText = "The macros could not be exported.";
constexpr const char* kRepeatEmptyText = "Enter how many times the macro plays: 1 to 255.";
constexpr const char* kRepeatNotANumberText = "Enter a whole number from 1 to 255.";
constexpr const char* kRepeatTooFewText = "A macro plays at least once: enter 1 to 255.";
constexpr const char* kRepeatTooManyText = "A macro plays at most 255 times: enter 1 to 255.";
constexpr const char* kSlotsFreeText =
    "Free macro slots in this profile: %1 of %2. A remap needs a free macro slot too.";
constexpr const char* kSlotsOwnText =
    "Free macro slots in this profile: %1 of %2. This key keeps the macro slot it has.";
constexpr const char* kSlotsFullText =
    "All %1 macro slots of this profile are taken. Reset another key first: a remap needs a "
    "free macro slot too.";
constexpr const char* kSlotsUnknownText =
    "How many macro slots are free is not known: the keyboard's key table was not read.";
constexpr QLatin1StringView kWarningColour("@color/warning");

// The glyphs of "img_media_keys": one frame for each of the media usages 0xE8-0xFB, in the
// order of their usages.
constexpr int kFirstMediaGlyphUsage = 0xE8;
constexpr int kMediaGlyphCount = 20;
constexpr std::uint32_t kUsageMask = 0xFF;

constexpr QLatin1StringView kKeySeparator(",");

const protocol::Clock& ProgramClock() {
  static const protocol::SteadyClock clock;
  return clock;
}

std::filesystem::path LibraryFileBeside(const AssignmentStore& store) {
  return store.path().parent_path() / settings::PathFromUtf8(kMacroLibraryFileName);
}

// The Windows virtual-key code of Escape.
constexpr std::uint32_t kEscapeVirtualKey = 0x1B;

bool IsKeyDown(std::uint32_t message) {
  return message == kKeyDownMessage || message == kSystemKeyDownMessage;
}

// What the dialog says of a file that could not be read: kept aside, or left where it was.
const char* NotReadText(const storage::OpenReport& report) {
  return report.keptAs ? kNotReadText : kNotReadLeftText;
}

const char* RepeatProblemText(RepeatCount::Problem problem) {
  switch (problem) {
    case RepeatCount::Problem::kEmpty:
      return kRepeatEmptyText;
    case RepeatCount::Problem::kNotANumber:
      return kRepeatNotANumberText;
    case RepeatCount::Problem::kTooFew:
      return kRepeatTooFewText;
    case RepeatCount::Problem::kTooMany:
      return kRepeatTooManyText;
    case RepeatCount::Problem::kNone:
      break;
  }
  return nullptr;
}

QString Translated(const char* text) {
  return ui::SApplication::Tr(QString::fromUtf8(text));
}

QString SlotRoomText(const MacroSlotRoom& room) {
  const auto all = static_cast<int>(protocol::KeySlotTable::kSlotsPerHalf);
  switch (room.state) {
    case MacroSlotRoom::State::kFree:
      return Translated(kSlotsFreeText).arg(room.free).arg(all);
    case MacroSlotRoom::State::kOwnSlot:
      return Translated(kSlotsOwnText).arg(room.free).arg(all);
    case MacroSlotRoom::State::kFull:
      return Translated(kSlotsFullText).arg(all);
    case MacroSlotRoom::State::kUnknown:
      break;
  }
  return Translated(kSlotsUnknownText);
}

const settings::KeyCatalogEntry* EntryAt(const std::vector<settings::KeyCatalogEntry>& entries,
                                         int index) {
  return index >= 0 && static_cast<std::size_t>(index) < entries.size()
             ? &entries[static_cast<std::size_t>(index)]
             : nullptr;
}

// A media key: its glyph (none for a usage without one) over its name; nothing for an entry
// without codes, which chooses nothing.
std::vector<controls::SKeyCaps::Cap> MediaKeyCaps(const settings::KeyCatalogEntry* entry) {
  if (entry == nullptr || entry->codes.empty()) {
    return {};
  }
  const int glyph =
      static_cast<int>(static_cast<std::uint32_t>(entry->codes.front()) & kUsageMask) -
      kFirstMediaGlyphUsage;
  const bool known = glyph >= 0 && glyph < kMediaGlyphCount;
  return {{ui::SApplication::Tr(QString::fromStdString(entry->name)), known ? glyph : -1}};
}

// A shortcut: one cap for each of its keys, named as ShortcutKeyName names them.
std::vector<controls::SKeyCaps::Cap> ShortcutCaps(const settings::KeyCatalogEntry* entry) {
  std::vector<controls::SKeyCaps::Cap> caps;
  for (const std::int32_t code : entry != nullptr ? entry->codes : std::vector<std::int32_t>{}) {
    caps.push_back({QString::fromStdString(protocol::ShortcutKeyName(code)), -1});
  }
  return caps;
}

}  // namespace

MacroRecordDlg::MacroRecordDlg(const protocol::SelectedKeys& keys)
    : MacroRecordDlg(keys, Environment{}) {}

MacroRecordDlg::MacroRecordDlg(const protocol::SelectedKeys& keys, const Environment& environment)
    : ui::SHostDialog(QLatin1String(kLayoutName)),
      keys_(keys),
      store_(environment.store != nullptr ? *environment.store : AssignmentStore::Global()),
      usesGlobalStore_(environment.store == nullptr),
      hook_(environment.hook != nullptr ? *environment.hook : KeyboardCapture::Hook()),
      usesProcessHook_(environment.hook == nullptr),
      config_(environment.config != nullptr ? *environment.config : settings::AppConfig::Global()),
      keyboard_(environment.keyboard),
      current_(environment.current),
      library_(environment.libraryFile.empty() ? LibraryFileBeside(store_)
                                               : environment.libraryFile),
      eventsAdapter_(std::make_shared<KeyAndDelayAdapter>()),
      recorder_(store_, eventsAdapter_->Events(),
                environment.clock != nullptr ? *environment.clock : ProgramClock()) {
  libraryReport_ = library_.Open();
  stopRecording_.setSingleShot(true);
  stopRecording_.setInterval(0);
  QObject::connect(&stopRecording_, &QTimer::timeout, this, &MacroRecordDlg::StopRecording);
}

MacroRecordDlg::~MacroRecordDlg() {
  StopListening();
}

void MacroRecordDlg::OnInitDialog() {
  // A dialog opened from the keyboard (Enter on a key of the picture) is worked from it.
  openedFromKeyboard_ = WorkedFromKeyboard();
  groupList_ = FindChildByName2<ui::SListView>(kGroupList);
  if (groupList_ != nullptr) {
    groupsAdapter_ = std::make_shared<CMacroGroupAdapter>(&library_, this);
    groupsAdapter_->SetSaveListener(
        [this](const storage::FileResult& saved) { NoteLibrarySave(saved); });
    groupList_->SetAdapter(groupsAdapter_);
  }
  eventList_ = FindChildByName2<ui::SMcListView>(kEventList);
  if (eventList_ != nullptr) {
    eventsAdapter_->Events().SetGroup(nullptr);
    eventsAdapter_->SetSaveListener(
        [this](const storage::FileResult& saved) { NoteLibrarySave(saved); });
    eventList_->SetAdapter(eventsAdapter_);
  }
  library_.SetReloadListener(
      [this](const MacroNode& previousRoot) { OnLibraryReloaded(previousRoot); });
  recorder_.ResetCaptureTime();

  QStringList names;
  for (const auto& [code, name] : keys_) {
    if (!name.empty()) {
      names.append(QString::fromStdString(name));
    }
  }
  keysText_ = FindChildByName2<ui::SStatic>(kKeysText);
  if (keysText_ != nullptr) {
    keysText_->SetText(names.join(kKeySeparator));
  }

  if (store_.dlymode >= 3) {
    store_.dlymode = kRealDelay;
    SaveStore();
  }
  for (std::size_t mode = 0; mode < kDelayModeBoxIds.size(); ++mode) {
    delayModeBoxes_[mode] = FindChildByID2(kDelayModeBoxIds[mode], ui::SCheckBox::kClassName);
    if (delayModeBoxes_[mode] != nullptr) {
      delayModeBoxes_[mode]->SetCheck(false);
    }
  }
  for (std::size_t mode = 0; mode < delayModeBoxes_.size(); ++mode) {
    if (delayModeBoxes_[mode] != nullptr) {
      delayModeBoxes_[mode]->SetCheck(static_cast<std::int32_t>(mode) == store_.dlymode);
    }
  }

  // Everything is shown as the files hold it before the dialog listens to its controls:
  // opening and looking changes no file.
  FindControls();
  FillCatalogues();
  if (current_ != nullptr) {
    TakeCurrentContent(*current_);
  }
  ShowStoredChoices();
  if (groupList_ != nullptr) {
    groupList_->SetSel(store_.groupsel);
  }
  OnMacroGroupClicked(store_.groupsel, {});
  SubscribeControls();

  if (!libraryReport_.ok()) {
    NoteProblem(NotReadText(libraryReport_), libraryReport_.problem);
  } else if (usesGlobalStore_ && !AssignmentStore::GlobalOpenReport().ok()) {
    NoteProblem(NotReadText(AssignmentStore::GlobalOpenReport()),
                AssignmentStore::GlobalOpenReport().problem);
  }

  if (usesProcessHook_) {
    KeyboardCapture::SetWindow(this);
    holdsCaptureWindow_ = true;
  }
  UpdateCapture();
}

void MacroRecordDlg::FindControls() {
  pages_ = FindChildByName2<controls::STabCtrl2>(kPages);
  repeatEdit_ = FindChildByName2<ui::SEdit>(kRepeatEdit);
  delayEdit_ = FindChildByName2<ui::SEdit>(kFixedDelayEdit);
  recordBox_ = FindChildByName2<controls::SCheckBoxEx>(kRecordBox);
  singleRecordBox_ = FindChildByName2<controls::SCheckBoxEx>(kSingleRecordBox);
  singleKeyText_ = FindChildByName2<ui::SStatic>(kSingleKeyText);
  mediaKeys_ = FindChildByName2<ui::SComboBox>(kMediaKeys);
  functionKeys_ = FindChildByName2<ui::SComboBox>(kFunctionKeys);
  fileProblem_ = FindChildByName2<ui::SStatic>(kFileProblem);
  repeatProblem_ = FindChildByName2<ui::SStatic>(kRepeatProblem);
  freeSlots_ = FindChildByName2<ui::SStatic>(kFreeSlots);
  mediaPicture_ = FindChildByName2<controls::SKeyCaps>(kMediaPicture);
  shortcutPicture_ = FindChildByName2<controls::SKeyCaps>(kShortcutPicture);
}

void MacroRecordDlg::SubscribeControls() {
  const auto subscribe = [](ui::SWindow* control, int eventId, auto handler) {
    if (control != nullptr) {
      control->Subscribe(eventId, [handler](ui::EventArgs& args) {
        args.handled = true;
        handler(args);
      });
    }
  };
  subscribe(mediaKeys_, ui::kEventComboSelectionChanged, [this](ui::EventArgs& args) {
    store_.mediasel = args.index;
    SaveStore();
    ShowMediaKeyPicture();
  });
  subscribe(functionKeys_, ui::kEventComboSelectionChanged, [this](ui::EventArgs& args) {
    store_.functsel = args.index;
    SaveStore();
    ShowShortcutPicture();
  });
  subscribe(recordBox_, ui::kEventCommand, [this](ui::EventArgs&) { OnRecordClicked(); });
  subscribe(repeatEdit_, ui::kEventRichEditNotify, [this](ui::EventArgs& args) {
    if (args.code == ui::kRichEditTextChanged) {
      OnRepeatChanged();
    }
  });
  subscribe(delayEdit_, ui::kEventRichEditNotify, [this](ui::EventArgs& args) {
    if (args.code == ui::kRichEditTextChanged) {
      OnDelayChanged();
    }
  });
  subscribe(pages_, ui::kEventTabSelectionChanged,
            [this](ui::EventArgs& args) { OnPageChanged(args.index); });
  // The row the user picks is where the next dialog opens.
  subscribe(groupList_, ui::kEventListSelectionChanged,
            [this](ui::EventArgs&) { RememberGroupRow(); });
}

void MacroRecordDlg::FillCatalogues() {
  // The combo boxes show their entries through the translator.
  for (const settings::KeyCatalogEntry& entry : config_.mediaKeys) {
    if (mediaKeys_ != nullptr) {
      mediaKeys_->AddString(QString::fromStdString(entry.name));
    }
  }
  // Each shortcut shows its keys in the drop-down list.
  for (const settings::KeyCatalogEntry& entry : config_.functionKeys) {
    if (functionKeys_ != nullptr) {
      const int index = functionKeys_->AddString(QString::fromStdString(entry.name));
      functionKeys_->SetItemDetail(index,
                                   QString::fromStdString(protocol::ShortcutText(entry.codes)));
    }
  }
}

void MacroRecordDlg::TakeCurrentContent(const keymap::KeyContent& current) {
  const auto entryIndex = [&current](const std::vector<settings::KeyCatalogEntry>& catalogue) {
    const auto found = std::find_if(
        catalogue.begin(), catalogue.end(),
        [&current](const settings::KeyCatalogEntry& entry) { return entry.name == current.name; });
    return found != catalogue.end()
               ? std::optional<int>(static_cast<int>(found - catalogue.begin()))
               : std::nullopt;
  };
  switch (current.kind) {
    case keymap::ContentKind::kMacro:
      store_.page = kMacroPage;
      store_.repeat = current.repeat;
      for (int index = 0; index < library_.GroupCount(); ++index) {
        if (library_.GroupAt(index)->Attribute(kNameAttribute) == current.name) {
          store_.groupsel = index;
          break;
        }
      }
      break;
    case keymap::ContentKind::kChord:
      store_.page = kFunctionKeyPage;
      store_.functsel = entryIndex(config_.functionKeys).value_or(store_.functsel);
      break;
    case keymap::ContentKind::kSingleKey:
      store_.page = kSingleKeyPage;
      store_.sgcode = current.target;
      break;
    case keymap::ContentKind::kMediaKey:
      store_.page = kMediaKeyPage;
      store_.mediasel = entryIndex(config_.mediaKeys).value_or(store_.mediasel);
      break;
    case keymap::ContentKind::kUnknown:
      break;
  }
}

void MacroRecordDlg::ShowStoredChoices() {
  if (pages_ != nullptr) {
    pages_->SetCurSel(store_.page);
  }
  // Shown whole, whatever the edits' limits for typing.
  if (delayEdit_ != nullptr) {
    ShowWholeText(*delayEdit_, QString::number(store_.delay));
  }
  if (repeatEdit_ != nullptr) {
    ShowWholeText(*repeatEdit_, QString::number(store_.repeat));
  }
  if (delayEdit_ != nullptr) {
    if (store_.dlymode == kNoDelay) {
      delayEdit_->SetText(QStringLiteral("0"));
    }
    if (store_.dlymode == kRealDelay || store_.dlymode == kNoDelay) {
      delayEdit_->setEnabled(false);
    }
  }
  if (recordBox_ != nullptr) {
    recordBox_->SetCheck(false);
  }
  if (functionKeys_ != nullptr) {
    functionKeys_->SetCurSel(store_.functsel);
  }
  if (mediaKeys_ != nullptr) {
    mediaKeys_->SetCurSel(store_.mediasel);
  }
  if (singleRecordBox_ != nullptr) {
    singleRecordBox_->SetCheck(false);
  }
  recorder_.ShowStoredSingleKey();
  if (singleKeyText_ != nullptr) {
    singleKeyText_->SetText(QString::fromStdString(recorder_.singleKeyName()));
  }
  ShowMediaKeyPicture();
  ShowShortcutPicture();
  ShowRepeatCheck();
  ShowFreeSlots();
}

void MacroRecordDlg::ShowFreeSlots() {
  if (freeSlots_ == nullptr) {
    return;
  }
  freeSlots_->setVisible(keyboard_ != nullptr);
  if (keyboard_ == nullptr) {
    return;
  }
  const MacroSlotRoom room = MacroSlotRoomFor(keyboard_->slots, keyboard_->slotsWhole, keys_);
  freeSlots_->SetText(SlotRoomText(room));
  if (room.state == MacroSlotRoom::State::kFull) {
    const ui::SApplication* app = ui::SApplication::Instance();
    freeSlots_->SetAttribute(
        "colorText", app != nullptr ? app->ResolveValue(kWarningColour) : QString(kWarningColour));
  }
}

void MacroRecordDlg::ShowMediaKeyPicture() {
  if (mediaPicture_ != nullptr) {
    mediaPicture_->SetKeyCaps(MediaKeyCaps(
        EntryAt(config_.mediaKeys, mediaKeys_ != nullptr ? mediaKeys_->GetCurSel() : -1)));
  }
}

void MacroRecordDlg::ShowShortcutPicture() {
  if (shortcutPicture_ != nullptr) {
    shortcutPicture_->SetKeyCaps(ShortcutCaps(
        EntryAt(config_.functionKeys, functionKeys_ != nullptr ? functionKeys_->GetCurSel() : -1)));
  }
}

bool MacroRecordDlg::RepeatTaken() const {
  return repeatEdit_ == nullptr || ReadRepeatCount(repeatEdit_->GetText().toStdString()).ok();
}

void MacroRecordDlg::ShowRepeatCheck() {
  if (repeatEdit_ == nullptr) {
    return;
  }
  const RepeatCount count = ReadRepeatCount(repeatEdit_->GetText().toStdString());
  if (repeatProblem_ != nullptr) {
    repeatProblem_->setVisible(!count.ok());
    repeatProblem_->SetText(count.ok() ? QString()
                                       : QString::fromUtf8(RepeatProblemText(count.problem)));
  }
}

void MacroRecordDlg::OnDestroy() {
  StopListening();
  keysText_ = nullptr;
  pages_ = nullptr;
  groupList_ = nullptr;
  eventList_ = nullptr;
  repeatEdit_ = nullptr;
  delayEdit_ = nullptr;
  delayModeBoxes_.fill(nullptr);
  recordBox_ = nullptr;
  singleRecordBox_ = nullptr;
  singleKeyText_ = nullptr;
  mediaKeys_ = nullptr;
  functionKeys_ = nullptr;
  fileProblem_ = nullptr;
  repeatProblem_ = nullptr;
  freeSlots_ = nullptr;
  mediaPicture_ = nullptr;
  shortcutPicture_ = nullptr;
  ui::SHostDialog::OnDestroy();
}

void MacroRecordDlg::OnEvent(ui::EventArgs& args) {
  if (args.eventId != ui::kEventCommand) {
    return;
  }
  const QString& name = args.senderName;
  args.handled = true;
  if (name == kRestoreButton) {
    SendSysCommand(kSysCommandRestore);
  } else if (name == kMinimizeButton) {
    SendSysCommand(kSysCommandMinimize);
  } else if (name == kOkButton) {
    // A macro with a refused repeat count would be sent as something else: the dialog stays,
    // its reason shown beside the count.
    if (pages_ != nullptr && pages_->GetCurSel() == kMacroPage && !RepeatTaken()) {
      repeatEdit_->setFocus();
      return;
    }
    TakeChoice();
    EndDialog(kResultOk);
  } else if (name == kDeleteButton) {
    EndDialog(kResultDelete);
  } else if (name == kCancelButton) {
    EndDialog(kResultCancel);
  } else if (name == kAddGroupButton) {
    AddGroup();
  } else if (name == kDeleteGroupButton) {
    DeleteGroup();
  } else if (name == kUpButton) {
    MoveEventUp();
  } else if (name == kDownButton) {
    MoveEventDown();
  } else if (name == kDeleteEventButton) {
    // With no row selected, the last event.
    NoteLibrarySave(eventsAdapter_->Events().DeleteEvent(
        eventList_ != nullptr ? eventList_->GetSel() : MacroNode::kLast));
  } else if (name == kClearButton) {
    NoteLibrarySave(eventsAdapter_->Events().Clear());
  } else if (name == kImportButton) {
    ImportLibrary();
  } else if (name == kExportButton) {
    ExportLibrary();
  } else if (args.senderId >= kDelayModeBoxIds.front() &&
             args.senderId <= kDelayModeBoxIds.back()) {
    OnDelayModeClicked(args.senderId - kDelayModeBoxIds.front());
  } else {
    args.handled = false;
  }
}

bool MacroRecordDlg::WorkedFromKeyboard() const {
  const ui::SWindow* focused = ui::SWindow::FocusedControl();
  return openedFromKeyboard_ || (focused != nullptr && focused->ShowsFocusMark());
}

bool MacroRecordDlg::OnKeyboardEvent(int& hookCode, std::uint32_t& message,
                                     KeyboardEventRecord& record) {
  const int page = pages_ != nullptr ? pages_->GetCurSel() : -1;
  // Worked from the keyboard, Escape always cancels, and the key taken, the next keys do their
  // usual work.
  if (page == kSingleKeyPage && WorkedFromKeyboard() &&
      (singleKeyTaken_ || record.vkCode == kEscapeVirtualKey)) {
    return false;
  }
  const bool recording = recordBox_ != nullptr && recordBox_->IsChecked();
  // Worked from the keyboard, Escape ends a recording instead of being recorded: the one way out
  // of a capture that takes every other key. The box is cleared after the hook has answered,
  // since clearing it takes the hook away.
  if (page == kMacroPage && recording && WorkedFromKeyboard() &&
      record.vkCode == kEscapeVirtualKey) {
    if (IsKeyDown(message)) {
      stopRecording_.start();
    }
    return true;
  }
  // The release of the key that started it (Space or Enter on the button) is not part of it.
  if (page == kMacroPage && recording && awaitingFirstPress_) {
    if (!IsKeyDown(message)) {
      return true;
    }
    awaitingFirstPress_ = false;
  }
  recorder_.SetPage(page);
  recorder_.SetRecording(recording);
  const int eventsBefore = eventsAdapter_->Events().Count();
  const bool swallowed = recorder_.OnKeyboardEvent(hookCode, message, record);
  if (eventsAdapter_->Events().Count() != eventsBefore) {
    NoteLibrarySave(recorder_.lastSave());
  }
  if (page == kSingleKeyPage && IsKeyDown(message) && singleKeyText_ != nullptr) {
    const std::uint8_t usage = recorder_.singleKeyUsage();
    if (usage != 0) {
      singleKeyText_->SetText(QString::fromStdString(recorder_.singleKeyName()));
    }
    singleKeyText_->SetUserData(usage);
    singleKeyTaken_ = WorkedFromKeyboard();
  }
  return swallowed;
}

void MacroRecordDlg::OnMacroGroupClicked(int row, std::string_view /*name*/) {
  if (groupsAdapter_ == nullptr || eventList_ == nullptr) {
    return;
  }
  eventsAdapter_->Events().SetGroup(library_.GroupAt(row));
}

void MacroRecordDlg::OnPageChanged(int page) {
  singleKeyTaken_ = false;
  store_.page = page;
  SaveStore();
  UpdateCapture();
}

void MacroRecordDlg::UpdateCapture() {
  // Back on the macro page a checked "chk_macro_record" records again, whatever page took the
  // hook away meanwhile.
  const int page = pages_ != nullptr ? pages_->GetCurSel() : -1;
  const bool recording = page == kMacroPage && recordBox_ != nullptr && recordBox_->IsChecked();
  if (page == kSingleKeyPage || recording) {
    InstallHook();
  } else {
    hook_.Remove();
  }
}

void MacroRecordDlg::OnLibraryReloaded(const MacroNode& previousRoot) {
  // Another program changed the file: the shown group and the selected row follow the group's
  // name into what the file holds now.
  eventsAdapter_->Events().Rebind(previousRoot);
  if (groupsAdapter_ != nullptr) {
    groupsAdapter_->Refresh();
  }
  if (groupList_ != nullptr) {
    const MacroNode* shown = eventsAdapter_->Events().group();
    groupList_->SetSel(shown != nullptr ? library_.root().IndexOf(shown).value_or(-1) : -1);
  }
}

void MacroRecordDlg::OnRecordClicked() {
  if (recordBox_ == nullptr) {
    return;
  }
  // Recording needs a group to record into.
  if (groupList_ == nullptr || groupList_->GetSel() < 0) {
    recordBox_->SetCheck(false);
  }
  const bool recording = recordBox_->IsChecked();
  awaitingFirstPress_ = recording && WorkedFromKeyboard();
  recordBox_->SetText(QLatin1String(recording ? kStopRecordText : kStartRecordText));
  UpdateCapture();
}

void MacroRecordDlg::StopRecording() {
  if (recordBox_ != nullptr && recordBox_->IsChecked()) {
    recordBox_->SetCheck(false);
    OnRecordClicked();
  }
}

void MacroRecordDlg::OnDelayModeClicked(int mode) {
  // The boxes choose one mode among them, as radio buttons do.
  for (std::size_t box = 0; box < delayModeBoxes_.size(); ++box) {
    if (delayModeBoxes_[box] != nullptr) {
      delayModeBoxes_[box]->SetCheck(static_cast<int>(box) == mode);
    }
  }
  store_.dlymode = mode;
  SaveStore();
  if (delayEdit_ == nullptr) {
    return;
  }
  if (mode == kFixedDelay) {
    delayEdit_->setEnabled(true);
    ShowWholeText(*delayEdit_, QString::number(store_.delay));
  } else {
    if (mode == kNoDelay) {
      delayEdit_->SetText(QStringLiteral("0"));
    }
    delayEdit_->setEnabled(false);
  }
}

void MacroRecordDlg::OnRepeatChanged() {
  // A refused count is not kept: the store holds the count last taken.
  const RepeatCount count = ReadRepeatCount(repeatEdit_->GetText().toStdString());
  if (count.ok() && count.value != store_.repeat) {
    store_.repeat = count.value;
    SaveStore();
  }
  ShowRepeatCheck();
}

void MacroRecordDlg::OnDelayChanged() {
  if (store_.dlymode == kFixedDelay) {
    store_.delay = settings::ReadDecimalInt32(delayEdit_->GetText().toStdString());
    SaveStore();
  }
}

void MacroRecordDlg::AddGroup() {
  if (groupsAdapter_ == nullptr) {
    return;
  }
  NoteLibrarySave(groupsAdapter_->AddGroup());
  const int row = groupList_->GetSel();
  if (row >= 0 && row < groupList_->GetRowCount() - 1) {
    SelectGroupRow(row + 1);
  }
  OnMacroGroupClicked(groupList_->GetSel(), {});
}

void MacroRecordDlg::DeleteGroup() {
  if (groupsAdapter_ == nullptr) {
    return;
  }
  const int row = groupList_->GetSel();
  // The events list lets go of the group before it goes.
  const MacroNode* doomed = library_.GroupAt(row >= 0 ? row : library_.GroupCount() - 1);
  if (doomed != nullptr && doomed == eventsAdapter_->Events().group()) {
    eventsAdapter_->Events().SetGroup(nullptr);
  }
  NoteLibrarySave(groupsAdapter_->DeleteGroup(row >= 0 ? row : MacroNode::kLast));
  if (row > 0 && row >= groupList_->GetRowCount()) {
    SelectGroupRow(row - 1);
  } else {
    RememberGroupRow();
  }
  OnMacroGroupClicked(groupList_->GetSel(), {});
}

void MacroRecordDlg::SelectGroupRow(int row) {
  groupList_->SetSel(row);
  RememberGroupRow();
}

void MacroRecordDlg::RememberGroupRow() {
  if (groupList_ != nullptr && store_.groupsel != groupList_->GetSel()) {
    store_.groupsel = groupList_->GetSel();
    SaveStore();
  }
}

void MacroRecordDlg::MoveEventUp() {
  if (eventList_ == nullptr) {
    return;
  }
  const int row = eventList_->GetSel();
  if (row > 0) {
    const storage::EditResult moved = eventsAdapter_->Events().MoveUp(row);
    NoteLibrarySave(moved);
    if (moved.changed) {
      eventList_->SetSel(row - 1);
    }
  }
}

void MacroRecordDlg::MoveEventDown() {
  if (eventList_ == nullptr) {
    return;
  }
  const int row = eventList_->GetSel();
  if (row < eventsAdapter_->Events().Count()) {
    const storage::EditResult moved = eventsAdapter_->Events().MoveDown(row);
    NoteLibrarySave(moved);
    if (moved.changed) {
      // From the last row the selection goes past the end: no row is selected.
      if (!eventList_->SetSel(row + 1)) {
        eventList_->SetSel(-1);
      }
    }
  }
}

void MacroRecordDlg::ImportLibrary() {
  const std::optional<std::filesystem::path> file =
      FileDialogs::GetOpenFileName(this, QString::fromStdString(store_.folder));
  if (!file) {
    return;
  }
  RememberFolder(*file);
  // An import replaces every group: the events list lets go of the one it shows first.
  eventsAdapter_->Events().SetGroup(nullptr);
  const MacroLibrary::ImportResult imported = library_.Import(*file);
  using Status = MacroLibrary::ImportResult::Status;
  if (imported.status == Status::kImported || imported.status == Status::kNotSaved) {
    NoteLibrarySave(imported.status == Status::kImported
                        ? storage::FileResult()
                        : storage::FileResult::Failed(imported.error));
    NoteProblem(imported.leftOut.empty() ? nullptr : kPartlyImportedText, imported.leftOut);
  } else {
    NoteProblem(kNotImportedText, imported.error);
  }
  if (groupsAdapter_ != nullptr) {
    groupsAdapter_->Refresh();
  }
  OnMacroGroupClicked(groupList_ != nullptr ? groupList_->GetSel() : -1, {});
  eventsAdapter_->Events().Refresh();
}

void MacroRecordDlg::ExportLibrary() {
  if (const std::optional<std::filesystem::path> file =
          FileDialogs::GetSaveFileName(this, QString::fromStdString(store_.folder))) {
    RememberFolder(*file);
    const storage::FileResult exported = library_.Export(*file);
    NoteProblem(exported.ok() ? nullptr : kNotExportedText, exported.error());
  }
}

void MacroRecordDlg::RememberFolder(const std::filesystem::path& file) {
  const std::u8string folder = file.parent_path().u8string();
  const std::string utf8(folder.begin(), folder.end());
  if (!utf8.empty() && utf8 != store_.folder) {
    store_.folder = utf8;
    SaveStore();
  }
}

void MacroRecordDlg::TakeChoice() {
  choice_.page = pages_ != nullptr ? pages_->GetCurSel() : -1;
  if (keys_.empty() || keys_.begin()->first == 0) {
    return;
  }
  keymap::BuiltContent built;
  switch (choice_.page) {
    case kMacroPage:
      built = keymap::MacroContent(
          library_.GroupAt(groupList_ != nullptr ? groupList_->GetSel() : -1), store_.repeat);
      break;
    case kSingleKeyPage:
      built = keymap::SingleKeyContent(static_cast<std::uint8_t>(
          singleKeyText_ != nullptr ? singleKeyText_->GetUserData() : 0U));
      break;
    case kMediaKeyPage:
      built = keymap::MediaKeyContent(config_.mediaKeys,
                                      mediaKeys_ != nullptr ? mediaKeys_->GetCurSel() : -1);
      break;
    case kFunctionKeyPage:
      built = keymap::ChordContent(config_.functionKeys,
                                   functionKeys_ != nullptr ? functionKeys_->GetCurSel() : -1);
      break;
    default:
      break;
  }
  choice_.content = std::move(built.content);
  choice_.shortened = built.shortened;
}

void MacroRecordDlg::InstallHook() {
  if (hook_.Install()) {
    hook_.AddListener(this);
  }
}

void MacroRecordDlg::StopListening() {
  // Out of the hook's list at once, installed or not: it must never keep a dialog that is gone.
  hook_.ForgetListener(this);
  hook_.Remove();
  if (holdsCaptureWindow_) {
    KeyboardCapture::SetWindow(nullptr);
    holdsCaptureWindow_ = false;
  }
}

void MacroRecordDlg::SaveStore() {
  const storage::FileResult saved = store_.Save();
  storeProblem_ = saved.ok() ? QString() : QString::fromStdString(saved.error());
  ShowProblems();
}

void MacroRecordDlg::NoteLibrarySave(const storage::EditResult& edit) {
  if (edit.changed) {
    NoteLibrarySave(edit.saved);
  }
}

void MacroRecordDlg::NoteLibrarySave(const storage::FileResult& saved) {
  libraryProblem_ = saved.ok() ? QString() : QString::fromStdString(saved.error());
  ShowProblems();
}

void MacroRecordDlg::NoteProblem(const char* text, const std::string& details) {
  problemText_ = text;
  problem_ = QString::fromStdString(details);
  ShowProblems();
}

void MacroRecordDlg::ShowProblems() {
  if (fileProblem_ == nullptr) {
    return;
  }
  // Unsaved changes matter most: they are lost when the dialog closes.
  const char* text = kNotSavedText;
  QString details = !libraryProblem_.isEmpty() ? libraryProblem_ : storeProblem_;
  if (details.isEmpty() && problemText_ != nullptr) {
    text = problemText_;
    details = problem_;
  }
  fileProblem_->setVisible(!details.isEmpty());
  fileProblem_->SetText(details.isEmpty() ? QString() : QLatin1String(text));
  fileProblem_->SetToolTipText(details);
}

}  // namespace keyloom::macro

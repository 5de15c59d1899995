#include "macro_dialog/MacroRecordDlg.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <utility>

#include <QLatin1StringView>

#include "controls/STabCtrl2.h"
#include "macro_dialog/FreeSlotsLine.h"
#include "macro_dialog/KeyAndDelayAdapter.h"
#include "macro_dialog/KeyboardCapture.h"
#include "protocol/SteadyClock.h"
#include "settings/AppPaths.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/widgets/SStatic.h"

namespace keyloom::macro {

namespace {

constexpr QLatin1StringView kKeysText("text_recording_keys");
constexpr QLatin1StringView kTabs("tab_macro_mode_selection");
constexpr QLatin1StringView kFreeSlots("text_free_slots");

// Buttons, told apart by name.
constexpr QLatin1StringView kRestoreButton("btnRestore");
constexpr QLatin1StringView kMinimizeButton("btnMin");
constexpr QLatin1StringView kOkButton("btnOK");
constexpr QLatin1StringView kDeleteButton("btnDelete");
constexpr QLatin1StringView kCancelButton("btnCancel");

constexpr const char* kNotReadText = "A file could not be read; it was kept aside.";
constexpr const char* kNotReadLeftText = "A file could not be read; nothing is saved over it.";

constexpr QLatin1StringView kKeySeparator(",");

const protocol::Clock& ProgramClock() {
  static const protocol::SteadyClock clock;
  return clock;
}

std::filesystem::path LibraryFileBeside(const AssignmentStore& store) {
  return store.path().parent_path() / settings::PathFromUtf8(kMacroLibraryFileName);
}

// What the dialog says of a file that could not be read: kept aside, or left where it was.
const char* NotReadText(const storage::OpenReport& report) {
  return report.keptAs ? kNotReadText : kNotReadLeftText;
}

}  // namespace

MacroRecordDlg::MacroRecordDlg(const protocol::SelectedKeys& keys)
    : MacroRecordDlg(keys, Environment{}) {}

MacroRecordDlg::MacroRecordDlg(const protocol::SelectedKeys& keys, const Environment& environment)
    : ui::SHostDialog(QLatin1String(kLayoutName)),
      keys_(keys),
      store_(environment.store != nullptr ? *environment.store : AssignmentStore::Global()),
      usesGlobalStore_(environment.store == nullptr),
      config_(environment.config != nullptr ? *environment.config : settings::AppConfig::Global()),
      keyboard_(environment.keyboard),
      current_(environment.current),
      library_(environment.libraryFile.empty() ? LibraryFileBeside(store_)
                                               : environment.libraryFile),
      context_(store_, problems_),
      eventsAdapter_(std::make_shared<KeyAndDelayAdapter>()),
      recorder_(store_, eventsAdapter_->Events(),
                environment.clock != nullptr ? *environment.clock : ProgramClock()),
      macroPage_(context_, library_, eventsAdapter_, recorder_, *this, [this] { UpdateCapture(); }),
      singleKeyPage_(context_, recorder_),
      mediaKeyPage_(context_, config_.mediaKeys),
      shortcutPage_(context_, config_.functionKeys),
      pages_{&macroPage_, &singleKeyPage_, &mediaKeyPage_, &shortcutPage_},
      hook_(environment.hook != nullptr ? *environment.hook : KeyboardCapture::Hook(), *this,
            environment.hook == nullptr) {
  libraryReport_ = library_.Open();
}

MacroRecordDlg::~MacroRecordDlg() = default;

void MacroRecordDlg::OnInitDialog() {
  context_.NoteOpening();
  // First, so that a save that fails while the dialog opens is told at once.
  problems_.Bind(*this);
  tabs_ = FindChildByName2<controls::STabCtrl2>(kTabs);
  keysText_ = FindChildByName2<ui::SStatic>(kKeysText);
  freeSlots_ = FindChildByName2<ui::SStatic>(kFreeSlots);
  for (DialogPage* page : pages_) {
    page->Bind(*this);
  }

  // Everything is shown as the files hold it before the dialog listens to its controls:
  // opening and looking changes no file.
  if (current_ != nullptr) {
    TakeCurrentContent(*current_);
  }
  if (tabs_ != nullptr) {
    tabs_->SetCurSel(store_.page);
  }
  ShowKeys();
  for (DialogPage* page : pages_) {
    page->ShowStored();
  }
  if (freeSlots_ != nullptr) {
    ShowFreeSlotsText(*freeSlots_, keyboard_, keys_);
  }
  for (DialogPage* page : pages_) {
    page->Listen(*this);
  }
  if (tabs_ != nullptr) {
    tabs_->Subscribe(ui::kEventTabSelectionChanged, [this](ui::EventArgs& args) {
      args.handled = true;
      OnPageChanged(args.index);
    });
  }

  ShowOpenProblems();
  hook_.HoldWindow(*this);
  UpdateCapture();
}

void MacroRecordDlg::OnDestroy() {
  hook_.End();
  problems_.Unbind();
  for (DialogPage* page : pages_) {
    page->Unbind();
  }
  tabs_ = nullptr;
  keysText_ = nullptr;
  freeSlots_ = nullptr;
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
    if (DialogPage* shown = ShownPage(); shown != nullptr && !shown->AcceptsOk()) {
      return;
    }
    TakeChoice();
    EndDialog(kResultOk);
  } else if (name == kDeleteButton) {
    EndDialog(kResultDelete);
  } else if (name == kCancelButton) {
    EndDialog(kResultCancel);
  } else {
    args.handled = std::any_of(pages_.begin(), pages_.end(),
                               [&args](DialogPage* page) { return page->OnCommand(args); });
  }
}

bool MacroRecordDlg::OnKeyboardEvent(int& hookCode, std::uint32_t& message,
                                     KeyboardEventRecord& record) {
  DialogPage* shown = ShownPage();
  return shown != nullptr && shown->OnKeyboardEvent(hookCode, message, record);
}

DialogPage* MacroRecordDlg::PageAt(int index) const {
  return index >= 0 && static_cast<std::size_t>(index) < pages_.size()
             ? pages_[static_cast<std::size_t>(index)]
             : nullptr;
}

DialogPage* MacroRecordDlg::ShownPage() const {
  return PageAt(tabs_ != nullptr ? tabs_->GetCurSel() : -1);
}

void MacroRecordDlg::TakeCurrentContent(const keymap::KeyContent& current) {
  for (std::size_t index = 0; index < pages_.size(); ++index) {
    if (pages_[index]->Kind() == current.kind) {
      store_.page = static_cast<std::int32_t>(index);
      pages_[index]->TakeCurrent(current);
    }
  }
}

void MacroRecordDlg::ShowKeys() {
  if (keysText_ == nullptr) {
    return;
  }
  QStringList names;
  for (const auto& [code, name] : keys_) {
    if (!name.empty()) {
      names.append(QString::fromStdString(name));
    }
  }
  keysText_->SetText(names.join(kKeySeparator));
}

void MacroRecordDlg::ShowOpenProblems() {
  if (!libraryReport_.ok()) {
    problems_.NoteProblem(NotReadText(libraryReport_), libraryReport_.problem);
  } else if (usesGlobalStore_ && !AssignmentStore::GlobalOpenReport().ok()) {
    problems_.NoteProblem(NotReadText(AssignmentStore::GlobalOpenReport()),
                          AssignmentStore::GlobalOpenReport().problem);
  }
}

void MacroRecordDlg::OnPageChanged(int page) {
  if (DialogPage* shown = PageAt(page)) {
    shown->OnShown();
  }
  store_.page = page;
  context_.SaveStore();
  UpdateCapture();
}

void MacroRecordDlg::UpdateCapture() {
  // Back on the macro page a recording still on records again, whatever page took the hook away
  // meanwhile.
  const DialogPage* shown = ShownPage();
  hook_.Capture(shown != nullptr && shown->Captures());
}

void MacroRecordDlg::TakeChoice() {
  choice_.page = tabs_ != nullptr ? tabs_->GetCurSel() : -1;
  if (keys_.empty() || keys_.begin()->first == 0) {
    return;
  }
  const DialogPage* shown = PageAt(choice_.page);
  keymap::BuiltContent built = shown != nullptr ? shown->Content() : keymap::BuiltContent{};
  choice_.content = std::move(built.content);
  choice_.shortened = built.shortened;
}

}  // namespace keyloom::macro

#include "macro_dialog/MacroLibraryEditor.h"

#include <QString>
#include <optional>
#include <string>
#include <utility>

#include <QLatin1StringView>

#include "macro_dialog/CMacroGroupAdapter.h"
#include "macro_dialog/FileDialogs.h"
#include "macro_dialog/KeyAndDelayAdapter.h"
#include "storage/UserFiles.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/SHostWnd.h"
#include "ui/widgets/SListView.h"
#include "ui/widgets/SMcListView.h"

namespace keyloom::macro {

namespace {

constexpr QLatin1StringView kGroupList("macro_group");
constexpr QLatin1StringView kEventList("key_info");

// Buttons, told apart by name.
constexpr QLatin1StringView kAddGroupButton("groupAdd");
constexpr QLatin1StringView kDeleteGroupButton("groupDel");
constexpr QLatin1StringView kImportButton("groupImport");
constexpr QLatin1StringView kExportButton("groupExport");
constexpr QLatin1StringView kUpButton("item_up");
constexpr QLatin1StringView kDownButton("item_down");
constexpr QLatin1StringView kDeleteEventButton("item_delete");
constexpr QLatin1StringView kClearButton("item_clear");

constexpr const char* kNotImportedText = "The macros could not be imported.";
constexpr const char* kPartlyImportedText =
    "Some groups of the file could not be read and were left out.";
constexpr const char* kNotExportedText = "The macros could not be exported.";
constexpr const char* kNameTakenText =
    "Another macro has this name already; the macro keeps the name it had.";
constexpr const char* kNotExportedOverOtherText =
    "The macros were not exported: the file chosen is not a regular file (a folder, a device or "
    "a pipe).";
constexpr const char* kNotExportedOverReadOnlyText =
    "The macros were not exported: the file chosen is read-only.";

// The line's text for an export refused for `problem`, or that failed otherwise.
const char* NotExportedText(storage::ChosenFileProblem problem) {
  switch (problem) {
    case storage::ChosenFileProblem::kNotRegularFile:
      return kNotExportedOverOtherText;
    case storage::ChosenFileProblem::kReadOnly:
      return kNotExportedOverReadOnlyText;
    case storage::ChosenFileProblem::kNone:
    case storage::ChosenFileProblem::kUnchecked:
      break;
  }
  return kNotExportedText;
}

}  // namespace

MacroLibraryEditor::MacroLibraryEditor(PageContext& context, MacroLibrary& library,
                                       std::shared_ptr<KeyAndDelayAdapter> events,
                                       QWidget& fileDialogOwner)
    : context_(context),
      library_(library),
      eventsAdapter_(std::move(events)),
      fileDialogOwner_(fileDialogOwner) {}

MacroLibraryEditor::~MacroLibraryEditor() = default;

void MacroLibraryEditor::Bind(const ui::SHostWnd& window) {
  const auto noteSave = [this](const storage::FileResult& saved) {
    context_.Problems().NoteLibrarySave(saved);
  };
  groupList_ = window.FindChildByName2<ui::SListView>(kGroupList);
  if (groupList_ != nullptr) {
    groupsAdapter_ = std::make_shared<CMacroGroupAdapter>(&library_, this);
    groupsAdapter_->SetSaveListener(noteSave);
    groupsAdapter_->SetNameListener([this](bool taken, const std::string& name) {
      FileProblemLine& problems = context_.Problems();
      if (taken) {
        problems.NoteProblem(kNameTakenText, name);
      } else {
        problems.ForgetProblem(kNameTakenText);
      }
    });
    groupList_->SetAdapter(groupsAdapter_);
  }
  eventList_ = window.FindChildByName2<ui::SMcListView>(kEventList);
  if (eventList_ != nullptr) {
    eventsAdapter_->Events().SetGroup(nullptr);
    eventsAdapter_->SetSaveListener(noteSave);
    eventList_->SetAdapter(eventsAdapter_);
  }
  library_.SetReloadListener(
      [this](const MacroNode& previousRoot) { OnLibraryReloaded(previousRoot); });
}

void MacroLibraryEditor::ShowStored() {
  if (groupList_ != nullptr) {
    groupList_->SetSel(context_.Store().groupsel);
  }
  OnMacroGroupClicked(context_.Store().groupsel, {});
}

void MacroLibraryEditor::Listen() {
  // The row the user picks is where the next dialog opens.
  if (groupList_ != nullptr) {
    groupList_->Subscribe(ui::kEventListSelectionChanged, [this](ui::EventArgs& args) {
      args.handled = true;
      RememberGroupRow();
    });
  }
}

void MacroLibraryEditor::Unbind() {
  groupList_ = nullptr;
  eventList_ = nullptr;
}

bool MacroLibraryEditor::OnCommand(const ui::EventArgs& args) {
  const QString& name = args.senderName;
  MacroEventList& events = eventsAdapter_->Events();
  if (name == kAddGroupButton) {
    AddGroup();
  } else if (name == kDeleteGroupButton) {
    DeleteGroup();
  } else if (name == kUpButton) {
    MoveEventUp();
  } else if (name == kDownButton) {
    MoveEventDown();
  } else if (name == kDeleteEventButton) {
    context_.Problems().NoteLibrarySave(
        events.DeleteEvent(eventList_ != nullptr ? eventList_->GetSel() : MacroNode::kLast));
  } else if (name == kClearButton) {
    context_.Problems().NoteLibrarySave(events.Clear());
  } else if (name == kImportButton) {
    ImportLibrary();
  } else if (name == kExportButton) {
    ExportLibrary();
  } else {
    return false;
  }
  return true;
}

const MacroNode* MacroLibraryEditor::SelectedGroup() const {
  return library_.GroupAt(SelectedRow());
}

bool MacroLibraryEditor::HasSelection() const {
  return SelectedRow() >= 0;
}

int MacroLibraryEditor::SelectedRow() const {
  return groupList_ != nullptr ? groupList_->GetSel() : -1;
}

void MacroLibraryEditor::OnMacroGroupClicked(int row, std::string_view /*name*/) {
  if (groupsAdapter_ == nullptr || eventList_ == nullptr) {
    return;
  }
  eventsAdapter_->Events().SetGroup(library_.GroupAt(row));
}

void MacroLibraryEditor::OnLibraryReloaded(const MacroNode& previousRoot) {
  eventsAdapter_->Events().Rebind(previousRoot);
  if (groupsAdapter_ != nullptr) {
    groupsAdapter_->Refresh();
  }
  if (groupList_ != nullptr) {
    const MacroNode* shown = eventsAdapter_->Events().group();
    groupList_->SetSel(shown != nullptr ? library_.root().IndexOf(shown).value_or(-1) : -1);
  }
}

void MacroLibraryEditor::AddGroup() {
  if (groupsAdapter_ == nullptr) {
    return;
  }
  context_.Problems().NoteLibrarySave(groupsAdapter_->AddGroup());
  const int row = groupList_->GetSel();
  if (row >= 0 && row < groupList_->GetRowCount() - 1) {
    SelectGroupRow(row + 1);
  }
  OnMacroGroupClicked(groupList_->GetSel(), {});
}

void MacroLibraryEditor::DeleteGroup() {
  if (groupsAdapter_ == nullptr) {
    return;
  }
  const int row = groupList_->GetSel();
  // The events list lets go of the group before it goes.
  const MacroNode* doomed = library_.GroupAt(row >= 0 ? row : library_.GroupCount() - 1);
  if (doomed != nullptr && doomed == eventsAdapter_->Events().group()) {
    eventsAdapter_->Events().SetGroup(nullptr);
  }
  context_.Problems().NoteLibrarySave(
      groupsAdapter_->DeleteGroup(row >= 0 ? row : MacroNode::kLast));
  if (row > 0 && row >= groupList_->GetRowCount()) {
    SelectGroupRow(row - 1);
  } else {
    RememberGroupRow();
  }
  OnMacroGroupClicked(groupList_->GetSel(), {});
}

void MacroLibraryEditor::SelectGroupRow(int row) {
  groupList_->SetSel(row);
  RememberGroupRow();
}

void MacroLibraryEditor::RememberGroupRow() {
  AssignmentStore& store = context_.Store();
  if (groupList_ != nullptr && store.groupsel != groupList_->GetSel()) {
    store.groupsel = groupList_->GetSel();
    context_.SaveStore();
  }
}

void MacroLibraryEditor::MoveEventUp() {
  if (eventList_ == nullptr) {
    return;
  }
  const int row = eventList_->GetSel();
  if (row > 0) {
    const storage::EditResult moved = eventsAdapter_->Events().MoveUp(row);
    context_.Problems().NoteLibrarySave(moved);
    if (moved.changed) {
      eventList_->SetSel(row - 1);
    }
  }
}

void MacroLibraryEditor::MoveEventDown() {
  if (eventList_ == nullptr) {
    return;
  }
  const int row = eventList_->GetSel();
  if (row < eventsAdapter_->Events().Count()) {
    const storage::EditResult moved = eventsAdapter_->Events().MoveDown(row);
    context_.Problems().NoteLibrarySave(moved);
    if (moved.changed) {
      // From the last row the selection goes past the end: no row is selected.
      if (!eventList_->SetSel(row + 1)) {
        eventList_->SetSel(-1);
      }
    }
  }
}

void MacroLibraryEditor::ImportLibrary() {
  const std::optional<std::filesystem::path> file = FileDialogs::GetOpenFileName(
      &fileDialogOwner_, QString::fromStdString(context_.Store().folder));
  if (!file) {
    return;
  }
  RememberFolder(*file);
  // An import replaces every group: the events list lets go of the one it shows first.
  eventsAdapter_->Events().SetGroup(nullptr);
  const MacroLibrary::ImportResult imported = library_.Import(*file);
  using Status = MacroLibrary::ImportResult::Status;
  FileProblemLine& problems = context_.Problems();
  if (imported.status == Status::kImported || imported.status == Status::kNotSaved) {
    problems.NoteLibrarySave(imported.status == Status::kImported
                                 ? storage::FileResult()
                                 : storage::FileResult::Failed(imported.error));
    problems.NoteProblem(imported.leftOut.empty() ? nullptr : kPartlyImportedText,
                         imported.leftOut);
  } else {
    problems.NoteProblem(kNotImportedText, imported.error);
  }
  if (groupsAdapter_ != nullptr) {
    groupsAdapter_->Refresh();
  }
  OnMacroGroupClicked(SelectedRow(), {});
  eventsAdapter_->Events().Refresh();
}

void MacroLibraryEditor::ExportLibrary() {
  if (const std::optional<std::filesystem::path> file = FileDialogs::GetSaveFileName(
          &fileDialogOwner_, QString::fromStdString(context_.Store().folder))) {
    RememberFolder(*file);
    const storage::ChosenFileCheck check = storage::CheckChosenFile(*file);
    const storage::FileResult exported =
        check.problem == storage::ChosenFileProblem::kNone ? library_.Export(*file) : check.result;
    context_.Problems().NoteProblem(exported.ok() ? nullptr : NotExportedText(check.problem),
                                    exported.error());
  }
}

void MacroLibraryEditor::RememberFolder(const std::filesystem::path& file) {
  const std::u8string folder = file.parent_path().u8string();
  const std::string utf8(folder.begin(), folder.end());
  AssignmentStore& store = context_.Store();
  if (!utf8.empty() && utf8 != store.folder) {
    store.folder = utf8;
    context_.SaveStore();
  }
}

}  // namespace keyloom::macro

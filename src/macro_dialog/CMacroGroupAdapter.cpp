#include "macro_dialog/CMacroGroupAdapter.h"

#include <QScopedValueRollback>
#include <optional>
#include <string>

#include <pugixml.hpp>

#include "macro/MacroLibrary.h"
#include "macro_dialog/IOnMacroGroupClickedListener.h"
#include "macro_dialog/WholeText.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/widgets/SEdit.h"

namespace keyloom::macro {

namespace {

constexpr QLatin1StringView kGroupNameEdit("group_name");

std::string NameOf(const MacroNode& group) {
  return group.Attribute(kNameAttribute).value_or("");
}

}  // namespace

CMacroGroupAdapter::CMacroGroupAdapter(MacroLibrary* library,
                                       IOnMacroGroupClickedListener* listener)
    : library_(library), listener_(listener) {}

int CMacroGroupAdapter::GetCount() const {
  return library_ != nullptr ? library_->GroupCount() : 0;
}

void CMacroGroupAdapter::GetView(int position, ui::SWindow& rowView,
                                 const pugi::xml_node& itemTemplate) {
  if (rowView.GetChildWindows().empty()) {
    rowView.CreateChildren(itemTemplate);
  }
  const auto row = static_cast<std::uint32_t>(position);
  rowView.SetUserData(row);
  if (auto* edit = rowView.FindChildByName2<ui::SEdit>(kGroupNameEdit)) {
    edit->SetUserData(row);
    const MacroNode* group = library_ != nullptr ? library_->GroupAt(position) : nullptr;
    // Setting the same text again would put the caret of a name being typed at its end. The name
    // shown is no rename: a name the edit cannot hold as it is (longer than its limit, not valid
    // UTF-8) stays in the file as it is until the user changes it.
    if (group != nullptr && edit->GetText() != QString::fromStdString(NameOf(*group))) {
      const QScopedValueRollback showing(showing_, true);
      ShowWholeText(*edit, QString::fromStdString(NameOf(*group)));
    }
    edit->Subscribe(
        ui::kEventRichEditNotify, [this](ui::EventArgs& args) { OnNameChanged(args); }, this);
  }
  rowView.Subscribe(
      ui::kEventListItemClick, [this](ui::EventArgs& args) { OnRowClicked(args); }, this);
}

storage::EditResult CMacroGroupAdapter::AddGroup() {
  if (library_ == nullptr) {
    return {};
  }
  storage::EditResult result = library_->AddGroup();
  NotifyDataSetChanged();
  return result;
}

storage::EditResult CMacroGroupAdapter::DeleteGroup(int index) {
  if (library_ == nullptr) {
    return {};
  }
  storage::EditResult result = library_->RemoveGroup(index);
  NotifyDataSetChanged();
  return result;
}

void CMacroGroupAdapter::OnNameChanged(ui::EventArgs& args) {
  if (args.code != ui::kRichEditTextChanged || args.sender == nullptr ||
      !args.sender->IsClass(ui::SEdit::kClassName)) {
    return;
  }
  args.handled = true;
  if (library_ == nullptr || showing_) {
    return;
  }
  const int row = static_cast<int>(args.sender->GetUserData());
  const std::string name = args.sender->GetText().toStdString();
  const std::optional<int> holder = library_->GroupNamed(name);
  const bool taken = holder && *holder != row;
  if (named_) {
    named_(taken, name);
  }
  if (taken) {
    return;
  }
  const storage::EditResult renamed = library_->RenameGroup(row, name);
  if (renamed.changed && saved_) {
    saved_(renamed.saved);
  }
}

void CMacroGroupAdapter::OnRowClicked(ui::EventArgs& args) {
  if (args.sender == nullptr || library_ == nullptr || listener_ == nullptr) {
    return;
  }
  const int row = static_cast<int>(args.sender->GetUserData());
  if (const MacroNode* group = library_->GroupAt(row)) {
    args.handled = true;
    listener_->OnMacroGroupClicked(row, NameOf(*group));
  }
}

}  // namespace keyloom::macro

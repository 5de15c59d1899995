#include "macro_dialog/CMacroGroupAdapter.h"

#include <string>

#include <pugixml.hpp>

#include "macro/MacroLibrary.h"
#include "macro_dialog/IOnMacroGroupClickedListener.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/widgets/SEdit.h"

namespace keyloom::macro {

namespace {

const QString kGroupNameEdit = QStringLiteral("group_name");

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
    edit->Subscribe(
        ui::kEventRichEditNotify, [this](ui::EventArgs& args) { OnNameChanged(args); }, this);
    edit->SetUserData(row);
    const MacroNode* group = library_ != nullptr ? library_->GroupAt(position) : nullptr;
    // Setting the same text again would put the caret of a name being typed at its end.
    if (group != nullptr && edit->GetText() != QString::fromStdString(NameOf(*group))) {
      edit->SetText(QString::fromStdString(NameOf(*group)));
    }
  }
  rowView.Subscribe(
      ui::kEventListItemClick, [this](ui::EventArgs& args) { OnRowClicked(args); }, this);
}

EditResult CMacroGroupAdapter::AddGroup() {
  if (library_ == nullptr) {
    return {};
  }
  EditResult result = library_->AddGroup();
  NotifyDataSetChanged();
  return result;
}

EditResult CMacroGroupAdapter::DeleteGroup(int index) {
  if (library_ == nullptr) {
    return {};
  }
  EditResult result = library_->RemoveGroup(index);
  NotifyDataSetChanged();
  return result;
}

void CMacroGroupAdapter::OnNameChanged(ui::EventArgs& args) {
  if (args.code != ui::kRichEditTextChanged || args.sender == nullptr ||
      !args.sender->IsClass(ui::SEdit::kClassName)) {
    return;
  }
  args.handled = true;
  if (library_ == nullptr) {
    return;
  }
  const EditResult renamed = library_->RenameGroup(static_cast<int>(args.sender->GetUserData()),
                                                   args.sender->GetText().toStdString());
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

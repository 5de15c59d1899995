#include "macro/MacroEventList.h"

#include <cstddef>
#include <string>
#include <utility>

#include "settings/NumberText.h"

namespace keyloom::macro {

namespace {

constexpr std::string_view kKeyDownText = "key down";
constexpr std::string_view kKeyUpText = "key up";
constexpr std::string_view kReplaceText = "replace";

bool BeginsWithDecimalInteger(std::string_view text) {
  std::size_t pos = text.find_first_not_of(" \t\n\v\f\r");
  if (pos == std::string_view::npos) {
    return false;
  }
  if (text[pos] == '+' || text[pos] == '-') {
    ++pos;
  }
  return pos < text.size() && text[pos] >= '0' && text[pos] <= '9';
}

}  // namespace

void MacroEventList::SetGroup(MacroNode* group) {
  group_ = group;
  Refresh();
}

MacroNode* MacroEventList::EventAt(int index) const {
  return group_ != nullptr ? group_->ChildAt(index) : nullptr;
}

EditResult MacroEventList::AddEvent(std::int32_t code, std::int32_t state, std::string_view name,
                                    std::int64_t delay) {
  const auto lowCode = static_cast<std::uint32_t>(code) & 0xFFU;
  if (group_ == nullptr || lowCode == 0) {
    return {};
  }
  group_->InsertChild(MacroNode::kLast, {{std::string(kCodeAttribute), std::to_string(lowCode)},
                                         {std::string(kNameAttribute), std::string(name)},
                                         {std::string(kStateAttribute), std::to_string(state)},
                                         {std::string(kDelayAttribute), std::to_string(delay)}});
  return SavedAfterChange();
}

EditResult MacroEventList::MoveUp(int index) {
  if (group_ == nullptr || index <= 0 || !group_->MoveChild(index, index - 1)) {
    return {};
  }
  return SavedAfterChange();
}

EditResult MacroEventList::MoveDown(int index) {
  if (group_ == nullptr || index < 0 || !group_->MoveChild(index, index + 1)) {
    return {};
  }
  return SavedAfterChange();
}

EditResult MacroEventList::DeleteEvent(int index) {
  if (group_ == nullptr || !group_->RemoveChild(index)) {
    return {};
  }
  return SavedAfterChange();
}

EditResult MacroEventList::Clear() {
  if (group_ == nullptr) {
    return {};
  }
  group_->ClearChildren();
  return SavedAfterChange();
}

MacroEventList::DelayEdit MacroEventList::EditDelay(int index, std::string_view text) {
  DelayEdit result;
  MacroNode* event = EventAt(index);
  if (event == nullptr) {
    result.shown = std::string(text);
    return result;
  }
  const std::string stored = event->Attribute(kDelayAttribute).value_or("");
  if (!BeginsWithDecimalInteger(text)) {
    result.shown = stored;
    return result;
  }
  result.shown = std::string(text);
  if (text != stored) {
    event->SetAttribute(kDelayAttribute, std::string(text));
    result.edit = SavedAfterChange();
  }
  return result;
}

void MacroEventList::Refresh() const {
  if (changed_) {
    changed_();
  }
}

std::string_view MacroEventList::StateText(const MacroNode& event) {
  const std::int32_t state =
      settings::ReadDecimalInt32(event.Attribute(kStateAttribute).value_or(""));
  if (state == 0) {
    return kKeyDownText;
  }
  return state == 1 ? kKeyUpText : kReplaceText;
}

EditResult MacroEventList::SavedAfterChange() {
  EditResult result{true, group_->SaveOwner()};
  Refresh();
  return result;
}

}  // namespace keyloom::macro

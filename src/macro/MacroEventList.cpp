#include "macro/MacroEventList.h"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>

#include "settings/NumberText.h"

namespace keyloom::macro {

namespace {

constexpr std::string_view kKeyDownText = "key down";
constexpr std::string_view kKeyUpText = "key up";
constexpr std::string_view kReplaceText = "replace";

constexpr auto kNewContent = MacroLibrary::WhenChangedOnDisk::kChangeTheNewContent;
constexpr auto kSeenContent = MacroLibrary::WhenChangedOnDisk::kLeaveTheChangeOut;

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

void MacroEventList::Rebind(const MacroNode& previousRoot) {
  const std::optional<int> row = previousRoot.IndexOf(group_);
  if (!row || group_->library() == nullptr) {
    return;
  }
  const std::optional<std::string> name = group_->Attribute(kNameAttribute);
  const MacroLibrary& library = *group_->library();
  MacroNode* found = library.GroupAt(*row);
  if (found == nullptr || found->Attribute(kNameAttribute) != name) {
    found = nullptr;
    for (int i = 0; i < library.GroupCount() && found == nullptr; ++i) {
      if (library.GroupAt(i)->Attribute(kNameAttribute) == name) {
        found = library.GroupAt(i);
      }
    }
  }
  SetGroup(found);
}

storage::EditResult MacroEventList::Edit(const Change& change,
                                         MacroLibrary::WhenChangedOnDisk whenChanged) {
  if (group_ == nullptr || group_->library() == nullptr) {
    return {};
  }
  // The group is looked up when the change is made: a file read again meanwhile rebinds it.
  storage::EditResult result = group_->library()->Update(
      [this, &change](MacroLibrary&) { return group_ != nullptr && change(*group_); }, whenChanged);
  if (result.changed || result.reloaded) {
    Refresh();
  }
  return result;
}

bool MacroEventList::AppendEvent(MacroNode& group, std::int32_t code, std::int32_t state,
                                 std::string_view name, std::int64_t delay) {
  const auto lowCode = static_cast<std::uint32_t>(code) & 0xFFU;
  if (lowCode == 0) {
    return false;
  }
  group.InsertChild(MacroNode::kLast, {{std::string(kCodeAttribute), std::to_string(lowCode)},
                                       {std::string(kNameAttribute), std::string(name)},
                                       {std::string(kStateAttribute), std::to_string(state)},
                                       {std::string(kDelayAttribute), std::to_string(delay)}});
  return true;
}

storage::EditResult MacroEventList::AddEvent(std::int32_t code, std::int32_t state,
                                             std::string_view name, std::int64_t delay) {
  return Edit([&](MacroNode& group) { return AppendEvent(group, code, state, name, delay); },
              kNewContent);
}

storage::EditResult MacroEventList::MoveUp(int index) {
  if (index <= 0) {
    return {};
  }
  return Edit([index](MacroNode& group) { return group.MoveChild(index, index - 1); },
              kSeenContent);
}

storage::EditResult MacroEventList::MoveDown(int index) {
  if (index < 0) {
    return {};
  }
  return Edit([index](MacroNode& group) { return group.MoveChild(index, index + 1); },
              kSeenContent);
}

storage::EditResult MacroEventList::DeleteEvent(int index) {
  return Edit([index](MacroNode& group) { return group.RemoveChild(index); }, kSeenContent);
}

storage::EditResult MacroEventList::Clear() {
  return Edit(
      [](MacroNode& group) {
        group.ClearChildren();
        return true;
      },
      kSeenContent);
}

MacroEventList::DelayEdit MacroEventList::EditDelay(int index, std::string_view text) {
  DelayEdit result;
  const MacroNode* event = EventAt(index);
  if (event == nullptr) {
    result.shown = std::string(text);
    return result;
  }
  if (!BeginsWithDecimalInteger(text) || text == event->Attribute(kDelayAttribute)) {
    result.shown = event->Attribute(kDelayAttribute).value_or("");
    return result;
  }
  result.edit = Edit(
      [index, text](MacroNode& group) {
        MacroNode* changed = group.ChildAt(index);
        if (changed != nullptr) {
          changed->SetAttribute(kDelayAttribute, std::string(text));
        }
        return changed != nullptr;
      },
      kSeenContent);
  const MacroNode* shown = EventAt(index);
  result.shown = result.edit.changed || shown == nullptr
                     ? std::string(text)
                     : shown->Attribute(kDelayAttribute).value_or("");
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

}  // namespace keyloom::macro

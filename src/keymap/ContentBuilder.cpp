#include "keymap/ContentBuilder.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/KeyEvent.h"
#include "settings/NumberText.h"

namespace keyloom::keymap {

namespace {

using protocol::KeyAssignmentRecord;
using protocol::KeyEvent;

constexpr std::uint8_t kChordRepeatCount = 1;

std::uint8_t LowByte(std::int32_t value) {
  return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) & 0xFFU);
}

// A text attribute of an event read as a decimal integer; a missing one reads as the library
// reader would have filled it in, "0".
std::int32_t NumberOf(const macro::MacroNode& event, std::string_view attribute) {
  const std::optional<std::string> text = event.Attribute(attribute);
  return text ? settings::ReadDecimalInt32(*text) : 0;
}

KeyEvent EventOf(const macro::MacroNode& event) {
  const bool released = NumberOf(event, macro::kStateAttribute) != 0;
  return protocol::MakeKeyEvent(LowByte(NumberOf(event, macro::kCodeAttribute)), released,
                                NumberOf(event, macro::kDelayAttribute));
}

// The keys that are down after the events so far, in the order they went down.
class HeldKeys {
 public:
  [[nodiscard]] std::size_t CountAfter(const KeyEvent& event) const {
    const bool down = held_[event.keyCode];
    if (IsRelease(event)) {
      return down ? order_.size() - 1 : order_.size();
    }
    return down ? order_.size() : order_.size() + 1;
  }

  void Apply(const KeyEvent& event) {
    const bool down = held_[event.keyCode];
    if (IsRelease(event) && down) {
      held_[event.keyCode] = false;
      std::erase(order_, event.keyCode);
    } else if (!IsRelease(event) && !down) {
      held_[event.keyCode] = true;
      order_.push_back(event.keyCode);
    }
  }

  [[nodiscard]] const std::vector<std::uint8_t>& order() const { return order_; }

 private:
  static bool IsRelease(const KeyEvent& event) {
    return (event.flags & protocol::kKeyEventReleased) != 0;
  }

  std::array<bool, 256> held_{};
  std::vector<std::uint8_t> order_;
};

const settings::KeyCatalogEntry* EntryAt(const std::vector<settings::KeyCatalogEntry>& catalogue,
                                         std::int32_t selection) {
  return selection >= 0 && static_cast<std::size_t>(selection) < catalogue.size() &&
                 !catalogue[static_cast<std::size_t>(selection)].codes.empty()
             ? &catalogue[static_cast<std::size_t>(selection)]
             : nullptr;
}

}  // namespace

BuiltContent MacroContent(const macro::MacroNode* group, std::int32_t repeat) {
  BuiltContent built;
  if (group == nullptr) {
    return built;
  }
  KeyContent& content = built.content.emplace();
  content.kind = ContentKind::kMacro;
  content.name = group->Attribute(macro::kNameAttribute).value_or("");
  content.repeat = LowByte(repeat);

  const auto count = static_cast<std::size_t>(group->ChildCount());
  built.available = count;
  if (count <= KeyAssignmentRecord::kMaxEvents) {
    for (std::size_t i = 0; i < count; ++i) {
      content.events.push_back(EventOf(*group->ChildAt(static_cast<int>(i))));
    }
    built.used = count;
    return built;
  }

  HeldKeys held;
  for (std::size_t i = 0; i < count; ++i) {
    const KeyEvent event = EventOf(*group->ChildAt(static_cast<int>(i)));
    if (i + 1 + held.CountAfter(event) > KeyAssignmentRecord::kMaxEvents) {
      break;
    }
    content.events.push_back(event);
    held.Apply(event);
  }
  built.used = content.events.size();
  built.shortened = true;
  // The last key pressed is released first.
  const std::vector<std::uint8_t>& order = held.order();
  for (std::size_t i = order.size(); i > 0; --i) {
    content.events.push_back(KeyEvent{order[i - 1], kQuickReleaseFlags});
  }
  return built;
}

BuiltContent SingleKeyContent(std::uint8_t usage) {
  BuiltContent built;
  if (usage != 0) {
    KeyContent& content = built.content.emplace();
    content.kind = ContentKind::kSingleKey;
    content.target = usage;
  }
  return built;
}

BuiltContent MediaKeyContent(const std::vector<settings::KeyCatalogEntry>& mediaKeys,
                             std::int32_t selection) {
  BuiltContent built;
  const settings::KeyCatalogEntry* entry = EntryAt(mediaKeys, selection);
  if (entry == nullptr || LowByte(entry->codes.front()) == 0) {
    return built;
  }
  KeyContent& content = built.content.emplace();
  content.kind = ContentKind::kMediaKey;
  content.name = entry->name;
  content.target = LowByte(entry->codes.front());
  return built;
}

BuiltContent ChordContent(const std::vector<settings::KeyCatalogEntry>& functionKeys,
                          std::int32_t selection) {
  BuiltContent built;
  const settings::KeyCatalogEntry* entry = EntryAt(functionKeys, selection);
  if (entry == nullptr) {
    return built;
  }
  const auto& codes = entry->codes;
  const std::size_t n = std::min(codes.size(), kMaxChordCodes);
  built.available = codes.size();
  built.used = n;
  built.shortened = n < codes.size();

  KeyContent& content = built.content.emplace();
  content.kind = ContentKind::kChord;
  content.name = entry->name;
  content.codes = codes;
  content.repeat = kChordRepeatCount;
  for (std::size_t i = 0; i < n; ++i) {
    content.events.push_back(KeyEvent{LowByte(codes[i]), kChordPressFlags});
  }
  for (std::size_t i = 1; i < n; ++i) {
    content.events.push_back(KeyEvent{LowByte(codes[i]), kQuickReleaseFlags});
  }
  content.events.push_back(KeyEvent{LowByte(codes[0]), kQuickReleaseFlags});
  return built;
}

bool PlaysOlderCopy(const KeyContent& content, const macro::MacroLibrary& library) {
  if (content.kind != ContentKind::kMacro || content.name.empty()) {
    return false;
  }
  for (int index = 0; index < library.GroupCount(); ++index) {
    const macro::MacroNode* group = library.GroupAt(index);
    if (group->Attribute(macro::kNameAttribute).value_or("") == content.name) {
      return !MacroContent(group, content.repeat).content->SameOnKeyboard(content);
    }
  }
  return false;
}

}  // namespace keyloom::keymap

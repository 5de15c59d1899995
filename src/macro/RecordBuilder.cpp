#include "macro/RecordBuilder.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "protocol/KeyEvent.h"
#include "settings/NumberText.h"

namespace keyloom::macro {

namespace {

using protocol::KeyAssignmentRecord;
using protocol::KeyEvent;

constexpr std::uint8_t kChordRepeatCount = 1;

std::uint8_t LowByte(std::int32_t value) {
  return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) & 0xFFU);
}

// A text attribute of an event read as a decimal integer; a missing one reads as the library
// reader would have filled it in, "0".
std::int32_t NumberOf(const MacroNode& event, std::string_view attribute) {
  const std::optional<std::string> text = event.Attribute(attribute);
  return text ? settings::ReadDecimalInt32(*text) : 0;
}

KeyEvent EventOf(const MacroNode& event) {
  const bool released = NumberOf(event, kStateAttribute) != 0;
  return protocol::MakeKeyEvent(LowByte(NumberOf(event, kCodeAttribute)), released,
                                NumberOf(event, kDelayAttribute));
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

}  // namespace

BuiltRecord BuildMacroRecord(const protocol::SelectedKeys& keys, std::int32_t repeat,
                             const MacroNode* group) {
  BuiltRecord built;
  if (keys.empty() || keys.begin()->first == 0 || group == nullptr) {
    return built;
  }
  KeyAssignmentRecord& record = built.record;
  record.SetKeyCode(keys.begin()->first);
  record.SetRepeatCount(LowByte(repeat));

  const auto count = static_cast<std::size_t>(group->ChildCount());
  built.available = count;
  if (count <= KeyAssignmentRecord::kMaxEvents) {
    for (std::size_t i = 0; i < count; ++i) {
      record.SetEvent(i, EventOf(*group->ChildAt(static_cast<int>(i))));
    }
    built.used = count;
    built.events = count;
    return built;
  }

  HeldKeys held;
  std::size_t written = 0;
  for (; written < count; ++written) {
    const KeyEvent event = EventOf(*group->ChildAt(static_cast<int>(written)));
    if (written + 1 + held.CountAfter(event) > KeyAssignmentRecord::kMaxEvents) {
      break;
    }
    record.SetEvent(written, event);
    held.Apply(event);
  }
  built.used = written;
  built.shortened = true;
  const auto& order = held.order();
  for (auto key = order.rbegin(); key != order.rend(); ++key) {
    record.SetEvent(written++, KeyEvent{*key, kQuickReleaseFlags});
  }
  built.events = written;
  return built;
}

BuiltRecord BuildSingleKeyRecord(std::uint8_t usage) {
  BuiltRecord built;
  built.record.SetKeyCode(usage);
  return built;
}

BuiltRecord BuildMediaKeyRecord(const std::vector<settings::KeyCatalogEntry>& mediaKeys,
                                std::int32_t selection) {
  BuiltRecord built;
  if (selection < 0 || static_cast<std::size_t>(selection) >= mediaKeys.size()) {
    return built;
  }
  const auto& codes = mediaKeys[static_cast<std::size_t>(selection)].codes;
  if (!codes.empty()) {
    built.record.SetKeyCode(LowByte(codes.front()));
  }
  return built;
}

BuiltRecord BuildChordRecord(const protocol::SelectedKeys& keys,
                             const std::vector<settings::KeyCatalogEntry>& functionKeys,
                             std::int32_t selection) {
  BuiltRecord built;
  if (selection < 0 || static_cast<std::size_t>(selection) >= functionKeys.size() || keys.empty() ||
      keys.begin()->first == 0) {
    return built;
  }
  const auto& codes = functionKeys[static_cast<std::size_t>(selection)].codes;
  if (codes.empty()) {
    return built;
  }
  const std::size_t n = std::min(codes.size(), kMaxChordCodes);
  built.available = codes.size();
  built.used = n;
  built.shortened = n < codes.size();

  KeyAssignmentRecord& record = built.record;
  record.SetKeyCode(keys.begin()->first);
  record.SetRepeatCount(kChordRepeatCount);
  for (std::size_t i = 0; i < n; ++i) {
    record.SetEvent(i, KeyEvent{LowByte(codes[i]), kChordPressFlags});
  }
  for (std::size_t i = 1; i < n; ++i) {
    record.SetEvent(n + i - 1, KeyEvent{LowByte(codes[i]), kQuickReleaseFlags});
  }
  record.SetEvent(2 * n - 1, KeyEvent{LowByte(codes[0]), kQuickReleaseFlags});
  built.events = 2 * n;
  return built;
}

}  // namespace keyloom::macro

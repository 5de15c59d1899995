#include "protocol/KeyAssignmentRecord.h"

namespace keyloom::protocol {

std::optional<KeyEvent> KeyAssignmentRecord::Event(std::size_t index) const {
  if (index >= kMaxEvents) {
    return std::nullopt;
  }
  const std::size_t offset = kEventOffset + 2 * index;
  return KeyEvent{bytes_[offset], bytes_[offset + 1]};
}

bool KeyAssignmentRecord::SetEvent(std::size_t index, const KeyEvent& event) {
  if (index >= kMaxEvents) {
    return false;
  }
  const std::size_t offset = kEventOffset + 2 * index;
  bytes_[offset] = event.keyCode;
  bytes_[offset + 1] = event.flags;
  return true;
}

}  // namespace keyloom::protocol

#include "keymap/KeyContent.h"

namespace keyloom::keymap {

using Half = protocol::KeySlotTable::Half;

Half HalfOf(ContentKind kind) {
  return kind == ContentKind::kMacro || kind == ContentKind::kChord ? Half::kMacro : Half::kRemap;
}

protocol::KeyAssignmentRecord KeyContent::Record() const {
  protocol::KeyAssignmentRecord record;
  switch (kind) {
    case ContentKind::kMacro:
    case ContentKind::kChord:
      record.SetRepeatCount(repeat);
      for (std::size_t i = 0; i < events.size(); ++i) {
        record.SetEvent(i, events[i]);
      }
      break;
    case ContentKind::kSingleKey:
    case ContentKind::kMediaKey:
      record.SetKeyCode(target);
      break;
    case ContentKind::kUnknown:
      break;
  }
  return record;
}

bool KeyContent::SameOnKeyboard(const KeyContent& other) const {
  if (kind == ContentKind::kUnknown || other.kind == ContentKind::kUnknown ||
      HalfOf(kind) != HalfOf(other.kind)) {
    return false;
  }
  return Record() == other.Record();
}

}  // namespace keyloom::keymap

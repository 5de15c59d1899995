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

KeyContent ContentOf(const protocol::KeyAssignmentRecord& record,
                     const std::optional<ContentLabel>& label) {
  KeyContent content;
  const Half half = record.IsMacro() ? Half::kMacro : Half::kRemap;
  const bool labelFits =
      label && label->kind != ContentKind::kUnknown && HalfOf(label->kind) == half;
  if (labelFits) {
    content.kind = label->kind;
    content.name = label->name;
    if (label->kind == ContentKind::kChord) {
      content.codes = label->codes;
    }
  } else {
    content.kind = half == Half::kMacro ? ContentKind::kMacro : ContentKind::kSingleKey;
  }
  if (half == Half::kRemap) {
    content.target = record.keyCode();
    return content;
  }
  content.repeat = record.repeatCount();
  std::size_t used = 0;
  for (std::size_t i = 0; i < protocol::KeyAssignmentRecord::kMaxEvents; ++i) {
    if (*record.Event(i) != protocol::KeyEvent{}) {
      used = i + 1;
    }
  }
  for (std::size_t i = 0; i < used; ++i) {
    content.events.push_back(*record.Event(i));
  }
  return content;
}

}  // namespace keyloom::keymap

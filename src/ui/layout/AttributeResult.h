#pragma once

namespace keyloom::ui {

// What a control made of one attribute.
enum class AttributeResult {
  kHandled,  // taken
  kFailed,   // a known attribute with a value that does not read or resolve; nothing changed
  kUnknown,  // no class of the control knows it; it is ignored
};

}  // namespace keyloom::ui

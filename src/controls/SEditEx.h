#pragma once

#include <string_view>

#include "ui/widgets/SEdit.h"

namespace keyloom::controls {

// Tag "editex": an edit that reports Enter as the event "on_key_enter" (ui::kEventKeyEnter, once
// per key press, auto-repeats included) instead of taking it into the text, and that a click
// enables when it is disabled. Left-button clicks only give it the focus: they never move the
// caret or select text.
class SEditEx : public ui::SEdit {
 public:
  static constexpr std::string_view kClassName = "editex";

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

 protected:
  bool OnEditKeyPress(QKeyEvent& event) override;
  bool OnEditMouseButton(QMouseEvent& event) override;
};

}  // namespace keyloom::controls

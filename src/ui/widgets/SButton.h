#pragma once

#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

// Tag "button": a push button, its skin drawn in the four states (normal, hover, pushed,
// disabled) with its text centred. A click, or Space or Enter while it has the focus, fires the
// command event (kEventCommand). Tab reaches it; a click does not focus it.
class SButton : public SWindow {
 public:
  static constexpr std::string_view kClassName = "button";

  SButton();

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

 protected:
  void OnClick() override;
};

}  // namespace keyloom::ui

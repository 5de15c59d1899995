#pragma once

#include "ui/widgets/SButton.h"

namespace keyloom::ui {

// Tag "imgbtn": a button drawn by its four-state skin, sized by the skin's natural size when its
// pos gives none. It is a "button".
class SImageButton : public SButton {
 public:
  static constexpr std::string_view kClassName = "imgbtn";

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;
};

}  // namespace keyloom::ui

#include "ui/widgets/SButton.h"

#include "settings/AsciiText.h"
#include "ui/layout/AttributeText.h"

namespace keyloom::ui {

SButton::SButton() {
  SetClickable(true);
  SetTextAlignment(Qt::AlignCenter);
  // Tab reaches every button; a click leaves the focus where it was.
  setFocusPolicy(Qt::TabFocus);
}

bool SButton::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SWindow::IsClass(className);
}

void SButton::OnClick() {
  FireCommand();
}

}  // namespace keyloom::ui

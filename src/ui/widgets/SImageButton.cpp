#include "ui/widgets/SImageButton.h"

#include "settings/AsciiText.h"
#include "ui/layout/AttributeText.h"

namespace keyloom::ui {

bool SImageButton::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SButton::IsClass(className);
}

}  // namespace keyloom::ui

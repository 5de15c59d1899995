#include "ui/widgets/SImageWnd.h"

#include <QPainter>

#include "settings/AsciiText.h"
#include "ui/layout/AttributeText.h"

namespace keyloom::ui {

bool SImageWnd::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SWindow::IsClass(className);
}

AttributeResult SImageWnd::SetAttribute(std::string_view name, const QString& value) {
  if (settings::EqualIgnoringAsciiCase(name, "iconIndex")) {
    const std::optional<int> index = ParseInt(value);
    if (!index) {
      return AttributeResult::kFailed;
    }
    SetIconIndex(*index);
    return AttributeResult::kHandled;
  }
  return SWindow::SetAttribute(name, value);
}

void SImageWnd::SetIconIndex(int index) {
  iconIndex_ = index;
  update();
}

void SImageWnd::OnPaint(QPainter& painter) {
  DrawBackground(painter, iconIndex_);
}

}  // namespace keyloom::ui

#include "ui/widgets/SStatic.h"

#include <QPainter>

#include "settings/AsciiText.h"
#include "ui/layout/AttributeText.h"

namespace keyloom::ui {

bool SStatic::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SWindow::IsClass(className);
}

AttributeResult SStatic::SetAttribute(std::string_view name, const QString& value) {
  if (settings::EqualIgnoringAsciiCase(name, "multiLines")) {
    const std::optional<bool> multiLine = ParseBool(value);
    if (!multiLine) {
      return AttributeResult::kFailed;
    }
    multiLine_ = *multiLine;
    if (multiLine_ && (TextAlignment() & Qt::AlignVCenter) != 0) {
      SetTextAlignment((TextAlignment() & Qt::AlignHorizontal_Mask) | Qt::AlignTop);
    }
    update();
    return AttributeResult::kHandled;
  }
  return SWindow::SetAttribute(name, value);
}

void SStatic::OnPaint(QPainter& painter) {
  DrawBackground(painter, StateIndex4(GetState()));
  DrawTextIn(painter, ClientRect(), GetDisplayText(), multiLine_);
}

}  // namespace keyloom::ui

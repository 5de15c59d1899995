#include "controls/SEditEx.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include "settings/AsciiText.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/layout/AttributeText.h"

namespace keyloom::controls {

bool SEditEx::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SEdit::IsClass(className);
}

bool SEditEx::OnEditKeyPress(QKeyEvent& event) {
  if (event.key() != Qt::Key_Return && event.key() != Qt::Key_Enter) {
    return SEdit::OnEditKeyPress(event);
  }
  ui::EventArgs args;
  args.eventId = ui::kEventKeyEnter;
  FireEvent(args);
  return true;
}

bool SEditEx::OnEditMouseButton(QMouseEvent& event) {
  if (event.button() != Qt::LeftButton) {
    return SEdit::OnEditMouseButton(event);
  }
  if (!isEnabled()) {
    setEnabled(true);
  }
  GetLineEdit()->setFocus(Qt::MouseFocusReason);
  return true;
}

}  // namespace keyloom::controls

#include "ui/widgets/SCaption.h"

#include <QMouseEvent>
#include <QWindow>

#include "settings/AsciiText.h"
#include "ui/host/SHostWnd.h"
#include "ui/layout/AttributeText.h"

namespace keyloom::ui {

bool SCaption::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SWindow::IsClass(className);
}

void SCaption::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    SWindow::mousePressEvent(event);
    return;
  }
  QWidget* moved = MovedWindow();
  QWindow* handle = moved->windowHandle();
  if (handle == nullptr || !handle->startSystemMove()) {
    dragOffset_ = event->globalPosition().toPoint() - moved->frameGeometry().topLeft();
  }
}

void SCaption::mouseMoveEvent(QMouseEvent* event) {
  if (dragOffset_ && (event->buttons() & Qt::LeftButton) != 0) {
    MovedWindow()->move(event->globalPosition().toPoint() - *dragOffset_);
    return;
  }
  SWindow::mouseMoveEvent(event);
}

QWidget* SCaption::MovedWindow() const {
  QWidget* host = GetHostWnd();
  return host != nullptr ? host : window();
}

void SCaption::mouseReleaseEvent(QMouseEvent* event) {
  dragOffset_.reset();
  SWindow::mouseReleaseEvent(event);
}

}  // namespace keyloom::ui

#include "ui/widgets/SCaption.h"

#include <QMouseEvent>
#include <QWindow>

#include "ui/layout/AttributeText.h"

namespace keyloom::ui {

bool SCaption::IsClass(std::string_view className) const {
  return EqualsIgnoreCase(className, kClassName) || SWindow::IsClass(className);
}

void SCaption::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    SWindow::mousePressEvent(event);
    return;
  }
  QWindow* handle = window()->windowHandle();
  if (handle == nullptr || !handle->startSystemMove()) {
    dragOffset_ = event->globalPosition().toPoint() - window()->frameGeometry().topLeft();
  }
}

void SCaption::mouseMoveEvent(QMouseEvent* event) {
  if (dragOffset_ && (event->buttons() & Qt::LeftButton) != 0) {
    window()->move(event->globalPosition().toPoint() - *dragOffset_);
    return;
  }
  SWindow::mouseMoveEvent(event);
}

void SCaption::mouseReleaseEvent(QMouseEvent* event) {
  dragOffset_.reset();
  SWindow::mouseReleaseEvent(event);
}

}  // namespace keyloom::ui

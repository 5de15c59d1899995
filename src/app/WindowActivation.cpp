#include "app/WindowActivation.h"

#include <QWidget>

namespace keyloom::app {

void BringToFront(QWidget& window) {
  if (window.isMinimized()) {
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  }
  if (!window.isVisible()) {
    window.show();
  }
  window.raise();
  window.activateWindow();
}

}  // namespace keyloom::app

#include "app/FirstPaintReporter.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>

namespace keyloom::app {

bool FirstPaintReporter::IsRequested() {
  return qEnvironmentVariableIntValue(kEnvironmentVariable) == 1;
}

FirstPaintReporter::FirstPaintReporter(QWidget& window) : QObject(&window) {
  window.installEventFilter(this);
  for (QWidget* child : window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    child->installEventFilter(this);
  }
}

bool FirstPaintReporter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Paint && !painted_) {
    painted_ = true;
    // The rest of the window paints, and the picture reaches the screen, before the loop comes
    // back to this timer.
    QTimer::singleShot(0, this, [] {
      const auto now = std::chrono::system_clock::now().time_since_epoch();
      std::fprintf(stderr, "keyloom: first paint at %lld us\n",
                   static_cast<long long>(
                       std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
      std::fflush(stderr);
      QCoreApplication::exit(0);
    });
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace keyloom::app

#include "app/FirstPaintReporter.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <utility>

namespace keyloom::app {

FirstPaintWatcher::FirstPaintWatcher(QWidget& window, std::function<void()> then)
    : QObject(&window), then_(std::move(then)) {
  afterPaint_.setSingleShot(true);
  QObject::connect(&afterPaint_, &QTimer::timeout, this, [this] {
    then_();
    deleteLater();
  });
  window.installEventFilter(this);
  // A scaled window paints through a view of its own, below its direct children; a window drawn
  // directly paints its controls.
  for (QWidget* child : window.findChildren<QWidget*>()) {
    child->installEventFilter(this);
  }
}

bool FirstPaintWatcher::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Paint && !painted_) {
    painted_ = true;
    afterPaint_.start(0);
  }
  return QObject::eventFilter(watched, event);
}

bool FirstPaintReporter::IsRequested() {
  return qEnvironmentVariableIntValue(kEnvironmentVariable) == 1;
}

void FirstPaintReporter::Watch(QWidget& window) {
  new FirstPaintWatcher(window, [] {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::fprintf(
        stderr, "keyloom: first paint at %lld us\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
    std::fflush(stderr);
    QCoreApplication::exit(0);
  });
}

}  // namespace keyloom::app

#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

class QEvent;
class QWidget;

namespace keyloom::app {

// Runs `then` once, after `window` (or a widget below it when the watcher is made) has been
// painted for the first time: when the event loop comes back to it, by which time the rest of the
// window has painted and the picture has reached the screen. It watches every control that the
// window has when it is made, so it goes once `then` has run.
class FirstPaintWatcher : public QObject {
 public:
  FirstPaintWatcher(QWidget& window, std::function<void()> then);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void()> then_;
  // Fires once, when the loop comes back after the first paint.
  QTimer afterPaint_;
  bool painted_ = false;
};

// For the start-up benchmark: once `window` has been painted for the first time, writes
// "keyloom: first paint at N us" (N: microseconds since the Unix epoch, on the system clock) to
// standard error and ends the message loop with 0. The benchmark compares N with the moment it
// started the program.
class FirstPaintReporter {
 public:
  // Set to 1 in the environment, keyloom reports its first paint this way.
  static constexpr const char* kEnvironmentVariable = "KEYLOOM_EXIT_AFTER_FIRST_PAINT";

  [[nodiscard]] static bool IsRequested();
  static void Watch(QWidget& window);
};

}  // namespace keyloom::app

#pragma once

#include <QObject>

class QEvent;
class QWidget;

namespace keyloom::app {

// For the start-up benchmark: once `window` has been painted for the first time, writes
// "keyloom: first paint at N us" (N: microseconds since the Unix epoch, on the system clock) to
// standard error and ends the message loop with 0. The benchmark compares N with the moment it
// started the program.
class FirstPaintReporter : public QObject {
 public:
  // Set to 1 in the environment, keyloom reports its first paint this way.
  static constexpr const char* kEnvironmentVariable = "KEYLOOM_EXIT_AFTER_FIRST_PAINT";

  [[nodiscard]] static bool IsRequested();

  explicit FirstPaintReporter(QWidget& window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool painted_ = false;
};

}  // namespace keyloom::app

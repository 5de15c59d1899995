#pragma once

#include <QTimer>
#include <vector>

namespace keyloom::ui {

class ITimelineHandler;

// The animation clock of one host window: a tick every kTickMs milliseconds, delivered to every
// registered handler, but only while some handler animates. When a tick finds every handler idle
// the timer stops; registering a handler or Wake starts it again (a control that starts an
// animation wakes the timeline).
class Timeline {
 public:
  static constexpr int kTickMs = 10;

  Timeline();

  // Adds the handler (once) and wakes the timeline. The handler must be unregistered before it
  // is destroyed.
  void RegisterHandler(ITimelineHandler* handler);
  void UnregisterHandler(ITimelineHandler* handler);

  // Starts the timer if a handler is registered and it is not running.
  void Wake();

  [[nodiscard]] bool IsRunning() const { return timer_.isActive(); }
  [[nodiscard]] int HandlerCount() const { return static_cast<int>(handlers_.size()); }

  // One tick now, as the timer gives it: every handler registered when it starts and still
  // registered when its turn comes; then the timer stops when none animates and nothing woke
  // the timeline during the tick.
  void Tick();

 private:
  QTimer timer_;
  std::vector<ITimelineHandler*> handlers_;
  bool ticking_ = false;
  bool wokenWhileTicking_ = false;
};

}  // namespace keyloom::ui

#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "protocol/Clock.h"

namespace keyloom::app {

// The clock of the window's keyboard sequences, which keeps the window alive through their
// pauses. A pause runs the event loop: the window repaints, its timers run, and what the window
// system and other programs send arrives. While busy, user input is dropped (mouse buttons, keys,
// the wheel), so that no other command starts while the keyboard is being written, except on
// widgets marked kUsableWhileBusy (a Cancel button); a window closed meanwhile closes after the
// sequence, and work that would send frames of its own (a device change, a profile chosen for
// the focused window, a tray command) waits through RunWhenIdle until the sequence is over. The
// frames and pauses are those of the steady clock: the loop runs until shortly before the pause
// ends and the rest is slept, so a pause never ends early and hardly late. The busy cursor shows
// from the first pause to the sequence's end.
class ResponsiveClock final : public QObject, public protocol::Clock {
 public:
  // The name of the widget property (true) that keeps a widget usable during a pause.
  static constexpr const char* kUsableWhileBusy = "keyloomUsableWhileBusy";

  ResponsiveClock();
  ~ResponsiveClock() override;

  ResponsiveClock(const ResponsiveClock&) = delete;
  ResponsiveClock& operator=(const ResponsiveClock&) = delete;

  void Pause(std::chrono::milliseconds duration) override;
  [[nodiscard]] std::int64_t NowMs() const override;

  // Whether a sequence is pausing now, that is, whether the caller runs inside a pause.
  [[nodiscard]] bool Pausing() const { return pausing_ > 0; }
  // Whether the window shows that it is busy: from a sequence's first pause (or a Hold) until
  // the event loop runs again outside a pause with no Hold left.
  [[nodiscard]] bool Busy() const { return busy_; }

  // Keeps the window busy across several sequences (a restore of the whole keyboard), so that
  // the work put off meanwhile waits for the last; `clock` may be null.
  class Hold {
   public:
    explicit Hold(ResponsiveClock* clock);
    ~Hold();
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    ResponsiveClock* clock_;
  };

  // Runs `work` now, or, while busy, once the sequence is over. Work queued with the same `key`
  // runs once (the last queued), so that a burst of device changes is one.
  void RunWhenIdle(const void* key, std::function<void()> work);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetBusy(bool busy);
  void RunWaiting();

  std::chrono::steady_clock::time_point start_;
  int pausing_ = 0;
  int holds_ = 0;
  bool busy_ = false;
  // Started when a pause ends: its timeout, outside a pause, means the sequence is over.
  QTimer idle_;
  std::vector<std::pair<const void*, std::function<void()>>> waiting_;
};

}  // namespace keyloom::app

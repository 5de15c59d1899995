#pragma once

#include <QPointer>

#include "ui/host/SHostWnd.h"

namespace keyloom::ui {
class ITimelineHandler;
}

namespace keyloom::controls {

// A timeline handler's registration with the host window of a control: made at the control's
// creation, undone at its destruction (or, failing that, when the registration goes). Without a
// host window nothing is registered and Wake does nothing.
class TimelineRegistration {
 public:
  TimelineRegistration() = default;
  ~TimelineRegistration() { Unregister(); }
  TimelineRegistration(const TimelineRegistration&) = delete;
  TimelineRegistration& operator=(const TimelineRegistration&) = delete;

  void Register(ui::SHostWnd* host, ui::ITimelineHandler* handler);
  void Unregister();
  // Starts the host's timeline again after the handler found something to animate.
  void Wake() const;

 private:
  QPointer<ui::SHostWnd> host_;
  ui::ITimelineHandler* handler_ = nullptr;
};

}  // namespace keyloom::controls

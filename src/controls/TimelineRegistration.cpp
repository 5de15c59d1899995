#include "controls/TimelineRegistration.h"

namespace keyloom::controls {

void TimelineRegistration::Register(ui::SHostWnd* host, ui::ITimelineHandler* handler) {
  Unregister();
  if (host == nullptr || handler == nullptr) {
    return;
  }
  host_ = host;
  handler_ = handler;
  host->RegisterTimelineHandler(handler);
}

void TimelineRegistration::Unregister() {
  if (host_ != nullptr) {
    host_->UnregisterTimelineHandler(handler_);
  }
  host_ = nullptr;
  handler_ = nullptr;
}

void TimelineRegistration::Wake() const {
  if (host_ != nullptr) {
    host_->WakeTimeline();
  }
}

}  // namespace keyloom::controls

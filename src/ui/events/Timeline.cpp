#include "ui/events/Timeline.h"

#include <algorithm>

#include "ui/events/ITimelineHandler.h"

namespace keyloom::ui {

Timeline::Timeline() {
  timer_.setInterval(kTickMs);
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.callOnTimeout([this] { Tick(); });
}

void Timeline::RegisterHandler(ITimelineHandler* handler) {
  if (handler == nullptr) {
    return;
  }
  if (std::find(handlers_.begin(), handlers_.end(), handler) == handlers_.end()) {
    handlers_.push_back(handler);
  }
  Wake();
}

void Timeline::UnregisterHandler(ITimelineHandler* handler) {
  std::erase(handlers_, handler);
  if (handlers_.empty()) {
    timer_.stop();
  }
}

void Timeline::Wake() {
  if (ticking_) {
    wokenWhileTicking_ = true;
  }
  if (!handlers_.empty() && !timer_.isActive()) {
    timer_.start();
  }
}

void Timeline::Tick() {
  const std::vector<ITimelineHandler*> handlers = handlers_;
  bool animating = false;
  ticking_ = true;
  wokenWhileTicking_ = false;
  for (ITimelineHandler* handler : handlers) {
    if (std::find(handlers_.begin(), handlers_.end(), handler) != handlers_.end()) {
      animating = handler->OnNextFrame() || animating;
    }
  }
  ticking_ = false;
  if (!animating && !wokenWhileTicking_) {
    timer_.stop();
  }
}

}  // namespace keyloom::ui

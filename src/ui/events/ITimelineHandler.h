#pragma once

namespace keyloom::ui {

// Receives the ticks of a host window's timeline while it runs; one tick counts as 10 ms.
class ITimelineHandler {
 public:
  virtual ~ITimelineHandler() = default;

  // One tick. Answers whether the handler still animates: the timeline stops when no handler
  // does, and runs again when woken.
  virtual bool OnNextFrame() = 0;
};

}  // namespace keyloom::ui

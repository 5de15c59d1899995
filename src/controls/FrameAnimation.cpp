#include "controls/FrameAnimation.h"

#include <limits>

namespace keyloom::controls {

namespace {

constexpr int kMillisecondsPerSecond = 1000;

}  // namespace

void FrameAnimation::Create() {
  if (autorun_ >= 0) {
    // Seconds beyond what milliseconds hold in an int wait as long as they can.
    autoStartDelayMs_ = autorun_ > std::numeric_limits<int>::max() / kMillisecondsPerSecond
                            ? std::numeric_limits<int>::max()
                            : autorun_ * kMillisecondsPerSecond;
    ArmAutoStart();
  }
}

void FrameAnimation::ArmAutoStart() {
  autoStartPending_ = true;
  autoStartTimerMs_ = 0;
}

void FrameAnimation::Hover() {
  ++hoverCount_;
  state_ = State::kIn;
  frame_ = 0;
  frameTimerMs_ = 0;
  autoStartTimerMs_ = 0;
}

void FrameAnimation::Leave() {
  --hoverCount_;
}

bool FrameAnimation::Tick(const Frames& frames) {
  bool changed = false;
  if (state_ != State::kNone) {
    frameTimerMs_ += kTickMs;
    if (frameTimerMs_ >= intervalMs_) {
      frameTimerMs_ = 0;
      changed = FrameStep(frames);
    }
  }
  if (autoStartPending_) {
    autoStartTimerMs_ += kTickMs;
    if (autoStartTimerMs_ >= autoStartDelayMs_) {
      autoStartTimerMs_ = 0;
      frame_ = 0;
      autoStartPending_ = false;
      state_ = State::kIn;
      changed = true;
    }
  }
  return changed;
}

bool FrameAnimation::FrameStep(const Frames& frames) {
  if (state_ == State::kIn) {
    if (frames.in <= 0) {
      return false;
    }
    ++frame_;
    if (frame_ < frames.in) {
      return true;
    }
    if (autorun_ == kHoverOnly) {
      // The last frame stays; the check repeats every interval until the mouse has gone.
      frame_ = frames.in - 1;
      if (hoverCount_ <= 0 && frames.out > 0) {
        state_ = State::kOut;
        frame_ = 0;
        frameTimerMs_ = 0;
        return true;
      }
      return false;
    }
    if (autorun_ == 0) {
      frame_ = 0;
    }
    state_ = State::kNone;
    ArmAutoStart();
    return true;
  }
  if (frames.out <= 0) {
    return false;
  }
  if (frame_ < frames.out - 1) {
    ++frame_;
    return true;
  }
  state_ = State::kNone;
  return false;
}

bool FrameAnimation::IsAnimating(const Frames& frames) const {
  if (autoStartPending_) {
    return true;
  }
  switch (state_) {
    case State::kIn:
      if (frames.in <= 0) {
        return false;
      }
      return autorun_ != kHoverOnly || frame_ < frames.in - 1 ||
             (hoverCount_ <= 0 && frames.out > 0);
    case State::kOut:
      return frames.out > 0;
    case State::kNone:
      break;
  }
  return false;
}

}  // namespace keyloom::controls

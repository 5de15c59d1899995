#include "controls/TabIconAnimation.h"

namespace keyloom::controls {

void TabIconAnimation::Enter(int frameIntervalMs) {
  Start(State::kEntering, frameIntervalMs);
}

void TabIconAnimation::Leave(int frameIntervalMs) {
  Start(State::kLeaving, frameIntervalMs);
}

void TabIconAnimation::Start(State state, int frameIntervalMs) {
  state_ = state;
  frame_ = 0;
  countdownMs_ = frameIntervalMs;
}

bool TabIconAnimation::Tick(int tickMs, int frameIntervalMs, int inFrames, int outFrames) {
  if (state_ == State::kNone) {
    return false;
  }
  countdownMs_ -= tickMs;
  if (countdownMs_ > 0) {
    return false;
  }
  const int shownFrame = frame_;
  const State shownState = state_;
  ++frame_;
  if (state_ == State::kEntering) {
    if (inFrames <= 0) {
      state_ = State::kNone;
    } else if (frame_ >= inFrames - 1) {
      frame_ = inFrames - 1;
    }
  } else if (outFrames <= 0 || frame_ >= outFrames - 1) {
    state_ = State::kNone;
  }
  countdownMs_ = frameIntervalMs;
  return frame_ != shownFrame || state_ != shownState;
}

bool TabIconAnimation::IsAnimating(int inFrames) const {
  if (state_ == State::kEntering) {
    return inFrames > 0 && frame_ < inFrames - 1;
  }
  return state_ == State::kLeaving;
}

}  // namespace keyloom::controls

#pragma once

namespace keyloom::controls {

// The icon animation of one tab header: the "in" frames while the mouse is over the tab (the
// last one held), the "out" frames once after it left, then the normal icon. Driven by the
// timeline's ticks; a frame stays for the frame interval.
class TabIconAnimation {
 public:
  enum class State { kNone, kEntering, kLeaving };

  static constexpr int kDefaultFrameIntervalMs = 50;

  // The mouse came over the tab / left it: that animation restarts at frame 0.
  void Enter(int frameIntervalMs);
  void Leave(int frameIntervalMs);

  // One tick of `tickMs`. `inFrames`/`outFrames` are the state counts of the animation skins,
  // 0 for a missing skin. Answers whether the tab shows something else now.
  bool Tick(int tickMs, int frameIntervalMs, int inFrames, int outFrames);

  // Whether ticks would still change anything: a held last "in" frame changes nothing until the
  // mouse leaves.
  [[nodiscard]] bool IsAnimating(int inFrames) const;

  [[nodiscard]] State GetState() const { return state_; }
  [[nodiscard]] int GetFrame() const { return frame_; }

 private:
  void Start(State state, int frameIntervalMs);

  State state_ = State::kNone;
  int frame_ = 0;
  int countdownMs_ = 0;
};

}  // namespace keyloom::controls

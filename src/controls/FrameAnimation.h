#pragma once

namespace keyloom::controls {

// The animation of "anmimg": the "in" frames when the mouse comes over the image (or by itself
// every `autorun` seconds), then, once the mouse has left, the "in" frames' last one gives way to
// the "out" frames. Driven by the timeline's ticks of kTickMs.
class FrameAnimation {
 public:
  enum class State { kNone, kIn, kOut };

  static constexpr int kTickMs = 10;
  static constexpr int kDefaultIntervalMs = 50;
  // `autorun` value for "only on hover".
  static constexpr int kHoverOnly = -1;

  // The state counts of the two skins; 0 for a missing skin.
  struct Frames {
    int in = 0;
    int out = 0;
  };

  void SetInterval(int intervalMs) { intervalMs_ = intervalMs; }
  [[nodiscard]] int GetInterval() const { return intervalMs_; }
  void SetAutorun(int seconds) { autorun_ = seconds; }
  [[nodiscard]] int GetAutorun() const { return autorun_; }

  // The image was created: with autorun 0 or more an automatic start becomes due in autorun
  // seconds.
  void Create();
  // The mouse came over the image: the "in" animation restarts at frame 0.
  void Hover();
  // The mouse left it; the "out" animation starts at the next frame step.
  void Leave();

  // One tick: a frame step every interval while an animation runs (an interval that is not a
  // multiple of the tick takes up the next multiple), and the automatic start when it is due.
  // Answers whether the image shows something else now.
  bool Tick(const Frames& frames);

  // Whether ticks would still change anything: an animation runs, or an automatic start is due.
  // A held last "in" frame while the mouse stays (or with no "out" frames) changes nothing.
  [[nodiscard]] bool IsAnimating(const Frames& frames) const;

  [[nodiscard]] State GetState() const { return state_; }
  [[nodiscard]] int GetFrame() const { return frame_; }
  [[nodiscard]] int GetHoverCount() const { return hoverCount_; }
  [[nodiscard]] bool IsAutoStartPending() const { return autoStartPending_; }

 private:
  // Answers whether the image shows something else now.
  bool FrameStep(const Frames& frames);
  void ArmAutoStart();

  int intervalMs_ = kDefaultIntervalMs;
  int autorun_ = kHoverOnly;
  State state_ = State::kNone;
  int frame_ = 0;
  int frameTimerMs_ = 0;
  int hoverCount_ = 0;
  bool autoStartPending_ = false;
  int autoStartDelayMs_ = 0;
  int autoStartTimerMs_ = 0;
};

}  // namespace keyloom::controls

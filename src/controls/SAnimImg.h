#pragma once

#include <memory>
#include <string_view>

#include "controls/FrameAnimation.h"
#include "controls/TimelineRegistration.h"
#include "ui/events/ITimelineHandler.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::ui {
class ISkinObj;
}

namespace keyloom::controls {

// Tag "anmimg": an image that plays the frames of `ani_in` (a multi-state skin) when the mouse
// comes over it and those of `ani_out` once after the mouse has left; `interval` is the time per
// frame in milliseconds, `autorun` (seconds; -1: hover only) also starts the "in" animation by
// itself that long after creation and after each run. At rest it shows the first "in" frame.
class SAnimImg : public ui::SWindow, public ui::ITimelineHandler {
 public:
  static constexpr std::string_view kClassName = "anmimg";

  SAnimImg();
  ~SAnimImg() override;

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  ui::AttributeResult SetAttribute(std::string_view name, const QString& value) override;
  // Registers with the host's timeline and arms the automatic start.
  void OnCreate() override;
  void OnDestroy() override;
  // The "in" skin's natural size; 0 x 0 without one.
  [[nodiscard]] QSize DesiredSize() const override;

  // One timeline tick; answers whether the image still animates.
  bool OnNextFrame() override;

  [[nodiscard]] const FrameAnimation& GetAnimation() const { return animation_; }
  [[nodiscard]] const std::shared_ptr<const ui::ISkinObj>& GetInSkin() const { return inSkin_; }

 protected:
  void OnPaint(QPainter& painter) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  [[nodiscard]] FrameAnimation::Frames Frames() const;

  std::shared_ptr<const ui::ISkinObj> inSkin_;
  std::shared_ptr<const ui::ISkinObj> outSkin_;
  FrameAnimation animation_;
  TimelineRegistration timeline_;
};

}  // namespace keyloom::controls

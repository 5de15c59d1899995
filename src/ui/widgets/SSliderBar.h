#pragma once

#include <memory>

#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

// Tag "sliderbar": a horizontal slider with a position from `min` (default 0) to `max` (default
// 100), initially `value`. Drawn as the rail (`bkgndSkin`, at its natural height), the part of
// the rail left of the thumb (`posSkin`) and the thumb (`thumbSkin`, four states, at its natural
// size). The user moves it by dragging the thumb, by pressing on the rail (the thumb jumps
// there) and with the arrow, Page Up/Down, Home and End keys; each change of the position made by
// the user fires kEventSliderPos (value: the new position). SetValue fires nothing.
class SSliderBar : public SWindow {
 public:
  static constexpr std::string_view kClassName = "sliderbar";

  SSliderBar();

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  AttributeResult SetAttribute(std::string_view name, const QString& value) override;

  [[nodiscard]] int GetValue() const { return value_; }
  // Keeps the value within the range.
  void SetValue(int value);
  [[nodiscard]] int GetMin() const { return minimum_; }
  [[nodiscard]] int GetMax() const { return maximum_; }
  // Sets the value (kept within the range) as the user did, from the keyboard or a screen
  // reader; fires the position event when it changed.
  void MoveTo(long long value);
  // A maximum below the minimum is taken as the minimum; the value is kept within the range.
  void SetRange(int minimum, int maximum);

  [[nodiscard]] QRect ThumbRect() const;

 protected:
  void OnPaint(QPainter& painter) override;
  [[nodiscard]] bool HoverChangesLook() const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  [[nodiscard]] QSize ThumbSize() const;

  int minimum_ = 0;
  int maximum_ = 100;
  int value_ = 0;
  bool dragging_ = false;
  // The press position's distance from the thumb's centre while dragging.
  int dragOffset_ = 0;
  std::shared_ptr<const ISkinObj> thumbSkin_;
  std::shared_ptr<const ISkinObj> posSkin_;
  std::shared_ptr<const ISkinObj> railSkin_;
};

}  // namespace keyloom::ui

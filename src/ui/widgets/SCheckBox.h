#pragma once

#include <memory>

#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

// Tag "check": a check box. Its skin is the box, drawn in eight states: normal, hover, pushed,
// disabled, then the same four checked; `focusSkin` is drawn over the box while it has the
// focus; the text follows the box. A click (or Space) toggles the check, then fires the command
// event, so that handlers see the new state.
class SCheckBox : public SWindow {
 public:
  static constexpr std::string_view kClassName = "check";

  SCheckBox();

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  AttributeResult SetAttribute(std::string_view name, const QString& value) override;
  [[nodiscard]] QSize DesiredSize() const override;
  // Drawn while the control shows its focus mark; null without `focusSkin`.
  [[nodiscard]] const ISkinObj* GetFocusSkin() const { return focusSkin_.get(); }

 protected:
  void OnPaint(QPainter& painter) override;
  [[nodiscard]] bool HoverChangesLook() const override;
  void OnClick() override;
  // With `focusSkin` the mark is that skin over the box (drawn with it); else the frame.
  void DrawFocusMark(QPainter& painter) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::shared_ptr<const ISkinObj> focusSkin_;
};

}  // namespace keyloom::ui

#pragma once

#include <memory>

#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

// Tag "radio": a radio button. Radio buttons with the same parent exclude each other: checking
// one, by a click or by SetCheck, clears the others. The box is placed by `iconAlign` (left,
// center, right) and `iconValign` (top, middle, bottom); skin states and `focusSkin` as for
// "check". A click checks it, then fires the command event (also when it was checked already).
class SRadioBox : public SWindow {
 public:
  static constexpr std::string_view kClassName = "radio";

  SRadioBox();

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  AttributeResult SetAttribute(std::string_view name, const QString& value) override;
  void SetCheck(bool checked) override;
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
  Qt::Alignment iconAlign_ = Qt::AlignLeft | Qt::AlignVCenter;
};

}  // namespace keyloom::ui

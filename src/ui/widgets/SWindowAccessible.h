#pragma once

#include <QAccessibleWidget>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace keyloom::ui {

class SWindow;

// What a screen reader sees of a control: a role by its class (button, check box, radio button,
// combo box, slider, page tab list and page tab, list and list item, static text, title bar,
// picture; `accRole` where the layout gives one), a name and a description, its states (checked,
// selected tab, selected row) and, for a clickable control, the action "Press", which clicks it
// as the mouse does. A slider offers its value.
//
// The name is the attribute `accName` where the layout gives one, else the control's text (a
// tab's title), else its tooltip (a button drawn as a picture says what it does there); the
// description is `accDesc`, else the tooltip where the name did not come from it. A combo box's
// value is the entry shown.
//
// The root of a window drawn at a scale hangs below the view that draws it, not below the
// application.
class SWindowAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit SWindowAccessible(SWindow* control);

  [[nodiscard]] SWindow* Control() const;

  [[nodiscard]] QAccessibleInterface* parent() const override;
  // As the control is now: the layout may give `accRole` after the interface was made.
  [[nodiscard]] QAccessible::Role role() const override;
  [[nodiscard]] QString text(QAccessible::Text type) const override;
  [[nodiscard]] QAccessible::State state() const override;
  // A tab is where its header is drawn, not its page.
  [[nodiscard]] QRect rect() const override;
  void* interface_cast(QAccessible::InterfaceType type) override;

  [[nodiscard]] QStringList actionNames() const override;
  void doAction(const QString& actionName) override;

  [[nodiscard]] QVariant currentValue() const override;
  void setCurrentValue(const QVariant& value) override;
  [[nodiscard]] QVariant maximumValue() const override;
  [[nodiscard]] QVariant minimumValue() const override;
  [[nodiscard]] QVariant minimumStepSize() const override;
};

// The role that a control of this class has for a screen reader.
[[nodiscard]] QAccessible::Role AccessibleRoleOf(const SWindow& control);

// The texts that `control` and the controls below it show, in their order: texts and edit
// boxes, joined by ", ". A list row and a cell of a multi-column list are read so.
[[nodiscard]] QString ShownTexts(const QWidget& control);

}  // namespace keyloom::ui

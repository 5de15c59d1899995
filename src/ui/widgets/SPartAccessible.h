#pragma once

#include <QAccessible>
#include <QAccessibleInterface>
#include <QPointer>

namespace keyloom::ui {

// What a screen reader sees of a part of a control that has no widget of its own (a key of the
// keyboard picture, a cell of a list): an interface without children, whose parent is the
// control's interface and whose window is the control's. It outlives neither the control nor
// its meaning: Owner() is null once the control is gone.
template <class Control>
class SPartAccessible : public QAccessibleInterface {
 public:
  explicit SPartAccessible(Control* control) : control_(control) {}

  [[nodiscard]] QObject* object() const override { return nullptr; }
  [[nodiscard]] QWindow* window() const override {
    const QAccessibleInterface* owner = parent();
    return owner != nullptr ? owner->window() : nullptr;
  }
  [[nodiscard]] QAccessibleInterface* parent() const override {
    return control_ != nullptr ? QAccessible::queryAccessibleInterface(control_.data()) : nullptr;
  }
  [[nodiscard]] QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
  [[nodiscard]] int childCount() const override { return 0; }
  [[nodiscard]] int indexOfChild(const QAccessibleInterface* /*child*/) const override {
    return -1;
  }
  [[nodiscard]] QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override {
    return nullptr;
  }

 protected:
  [[nodiscard]] Control* Owner() const { return control_; }

 private:
  QPointer<Control> control_;
};

}  // namespace keyloom::ui

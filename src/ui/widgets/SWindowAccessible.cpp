#include "ui/widgets/SWindowAccessible.h"

#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QLineEdit>
#include <optional>
#include <string_view>

#include "ui/widgets/SButton.h"
#include "ui/widgets/SCaption.h"
#include "ui/widgets/SCheckBox.h"
#include "ui/widgets/SComboBox.h"
#include "ui/widgets/SEdit.h"
#include "ui/widgets/SImageWnd.h"
#include "ui/widgets/SItemPanel.h"
#include "ui/widgets/SListView.h"
#include "ui/widgets/SMcListView.h"
#include "ui/widgets/SRadioBox.h"
#include "ui/widgets/SSliderBar.h"
#include "ui/widgets/SStatic.h"
#include "ui/widgets/STabCtrl.h"
#include "ui/widgets/STabPage.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

namespace {

template <class T>
T* Nearest(const QWidget* widget) {
  for (QWidget* up = widget->parentWidget(); up != nullptr; up = up->parentWidget()) {
    if (auto* found = dynamic_cast<T*>(up)) {
      return found;
    }
  }
  return nullptr;
}

int RowIndex(const SItemPanel& row) {
  const SListView* list = Nearest<SListView>(&row);
  if (list == nullptr) {
    return -1;
  }
  for (int index = 0; index < list->GetRowCount(); ++index) {
    if (list->GetRowView(index) == &row) {
      return index;
    }
  }
  return -1;
}

}  // namespace

QString ShownTexts(const QWidget& control) {
  QStringList parts;
  QList<const QWidget*> widgets{&control};
  for (const QWidget* widget : control.findChildren<QWidget*>()) {
    widgets.append(widget);
  }
  for (const QWidget* widget : widgets) {
    QString text;
    if (const auto* edit = dynamic_cast<const QLineEdit*>(widget)) {
      text = edit->text();
    } else if (const auto* shown = dynamic_cast<const SStatic*>(widget)) {
      text = shown->GetDisplayText();
    }
    if (!text.isEmpty()) {
      parts.append(text);
    }
  }
  return parts.join(QStringLiteral(", "));
}

QAccessible::Role AccessibleRoleOf(const SWindow& control) {
  if (const std::optional<int> role = control.GetAccessibleRole()) {
    return static_cast<QAccessible::Role>(*role);
  }
  struct ClassRole {
    std::string_view className;
    QAccessible::Role role;
  };
  // Derived classes before their bases.
  static constexpr ClassRole kRoles[] = {
      {SButton::kClassName, QAccessible::PushButton},
      {SCheckBox::kClassName, QAccessible::CheckBox},
      {SRadioBox::kClassName, QAccessible::RadioButton},
      {SComboBox::kClassName, QAccessible::ComboBox},
      {SSliderBar::kClassName, QAccessible::Slider},
      {STabCtrl::kClassName, QAccessible::PageTabList},
      {STabPage::kClassName, QAccessible::PageTab},
      {SMcListView::kClassName, QAccessible::Table},
      {SListView::kClassName, QAccessible::List},
      {SItemPanel::kClassName, QAccessible::ListItem},
      {SEdit::kClassName, QAccessible::Grouping},
      {SStatic::kClassName, QAccessible::StaticText},
      {SCaption::kClassName, QAccessible::TitleBar},
      {SImageWnd::kClassName, QAccessible::Graphic},
  };
  for (const ClassRole& entry : kRoles) {
    if (control.IsClass(entry.className)) {
      return entry.role;
    }
  }
  return control.accessibleName().isEmpty() ? QAccessible::Pane : QAccessible::Grouping;
}

SWindowAccessible::SWindowAccessible(SWindow* control)
    : QAccessibleWidget(control, AccessibleRoleOf(*control)) {}

SWindow* SWindowAccessible::Control() const {
  return static_cast<SWindow*>(widget());
}

QAccessibleInterface* SWindowAccessible::parent() const {
  const SWindow* control = Control();
  if (control->isWindow()) {
    if (const QGraphicsProxyWidget* proxy = control->graphicsProxyWidget();
        proxy != nullptr && proxy->scene() != nullptr && !proxy->scene()->views().isEmpty()) {
      return QAccessible::queryAccessibleInterface(proxy->scene()->views().constFirst());
    }
  }
  return QAccessibleWidget::parent();
}

QAccessible::Role SWindowAccessible::role() const {
  return AccessibleRoleOf(*Control());
}

QString SWindowAccessible::text(QAccessible::Text type) const {
  const SWindow* control = Control();
  QString own;
  if (const auto* page = dynamic_cast<const STabPage*>(control)) {
    own = page->GetDisplayTitle();
  } else if (const auto* row = dynamic_cast<const SItemPanel*>(control)) {
    own = ShownTexts(*row);
  } else if (!control->IsClass(SComboBox::kClassName)) {
    own = control->GetDisplayText();
  }
  const QString tip = control->toolTip();
  switch (type) {
    case QAccessible::Name:
      if (!control->accessibleName().isEmpty()) {
        return control->accessibleName();
      }
      return !own.isEmpty() ? own : tip;
    case QAccessible::Description:
      if (!control->accessibleDescription().isEmpty()) {
        return control->accessibleDescription();
      }
      return !own.isEmpty() || !control->accessibleName().isEmpty() ? tip : QString();
    case QAccessible::Value:
      if (const auto* combo = dynamic_cast<const SComboBox*>(control)) {
        return combo->GetItemDisplayText(combo->GetCurSel());
      }
      if (const auto* slider = dynamic_cast<const SSliderBar*>(control)) {
        return QString::number(slider->GetValue());
      }
      return {};
    default:
      return QAccessibleWidget::text(type);
  }
}

QAccessible::State SWindowAccessible::state() const {
  QAccessible::State state = QAccessibleWidget::state();
  const SWindow* control = Control();
  const QAccessible::Role role = this->role();
  if (role == QAccessible::CheckBox || role == QAccessible::RadioButton) {
    state.checkable = true;
    state.checked = control->IsChecked();
  }
  if (const auto* page = dynamic_cast<const STabPage*>(control)) {
    if (const STabCtrl* tabs = Nearest<STabCtrl>(page)) {
      const bool selected = tabs->GetItem(tabs->GetCurSel()) == page;
      state.selectable = true;
      state.selected = selected;
      state.focusable = tabs->focusPolicy() != Qt::NoFocus;
      state.focused = selected && tabs->hasFocus();
      // Only the selected page is shown, yet every tab is there to choose.
      state.invisible = false;
    }
  }
  if (const auto* row = dynamic_cast<const SItemPanel*>(control)) {
    if (const SListView* list = Nearest<SListView>(row)) {
      state.selectable = true;
      state.selected = list->GetSel() >= 0 && list->GetSel() == RowIndex(*row);
    }
  }
  return state;
}

QRect SWindowAccessible::rect() const {
  const auto* page = dynamic_cast<const STabPage*>(Control());
  const STabCtrl* tabs = page != nullptr ? Nearest<STabCtrl>(page) : nullptr;
  if (tabs == nullptr) {
    return QAccessibleWidget::rect();
  }
  for (int index = 0; index < tabs->GetItemCount(); ++index) {
    if (tabs->GetItem(index) == page) {
      const QRect header = tabs->ItemRect(index);
      return {tabs->mapToGlobal(header.topLeft()), tabs->mapToGlobal(header.bottomRight())};
    }
  }
  return QAccessibleWidget::rect();
}

void* SWindowAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::ValueInterface && role() == QAccessible::Slider) {
    return static_cast<QAccessibleValueInterface*>(this);
  }
  return QAccessibleWidget::interface_cast(type);
}

QStringList SWindowAccessible::actionNames() const {
  QStringList names = QAccessibleWidget::actionNames();
  if (Control()->IsClickable() && Control()->isEnabled()) {
    names.prepend(pressAction());
  }
  return names;
}

void SWindowAccessible::doAction(const QString& actionName) {
  if (actionName == pressAction()) {
    Control()->Click();
    return;
  }
  QAccessibleWidget::doAction(actionName);
}

QVariant SWindowAccessible::currentValue() const {
  const auto* slider = dynamic_cast<const SSliderBar*>(Control());
  return slider != nullptr ? QVariant(slider->GetValue()) : QVariant();
}

void SWindowAccessible::setCurrentValue(const QVariant& value) {
  if (auto* slider = dynamic_cast<SSliderBar*>(Control())) {
    slider->MoveTo(value.toLongLong());
  }
}

QVariant SWindowAccessible::maximumValue() const {
  const auto* slider = dynamic_cast<const SSliderBar*>(Control());
  return slider != nullptr ? QVariant(slider->GetMax()) : QVariant();
}

QVariant SWindowAccessible::minimumValue() const {
  const auto* slider = dynamic_cast<const SSliderBar*>(Control());
  return slider != nullptr ? QVariant(slider->GetMin()) : QVariant();
}

QVariant SWindowAccessible::minimumStepSize() const {
  return 1;
}

}  // namespace keyloom::ui

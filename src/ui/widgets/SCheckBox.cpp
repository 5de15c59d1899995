#include "ui/widgets/SCheckBox.h"

#include <QKeyEvent>
#include <QPainter>

#include "settings/AsciiText.h"
#include "ui/host/SApplication.h"
#include "ui/layout/AttributeText.h"
#include "ui/skin/ISkinObj.h"
#include "ui/widgets/ToggleLook.h"

namespace keyloom::ui {

SCheckBox::SCheckBox() {
  SetClickable(true);
  setFocusPolicy(Qt::TabFocus);
}

bool SCheckBox::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SWindow::IsClass(className);
}

AttributeResult SCheckBox::SetAttribute(std::string_view name, const QString& value) {
  if (settings::EqualIgnoringAsciiCase(name, "focusSkin")) {
    std::optional<std::shared_ptr<const ISkinObj>> skin = SApplication::SkinAttribute(value);
    if (!skin) {
      return AttributeResult::kFailed;
    }
    focusSkin_ = std::move(*skin);
    update();
    return AttributeResult::kHandled;
  }
  return SWindow::SetAttribute(name, value);
}

QSize SCheckBox::DesiredSize() const {
  return ToggleDesiredSize(*this);
}

bool SCheckBox::HoverChangesLook() const {
  // Without a skin the box is the style's, which may show the hover.
  return GetSkin() == nullptr || SWindow::HoverChangesLook();
}

void SCheckBox::OnPaint(QPainter& painter) {
  FillBackgroundColor(painter);
  PaintToggle(*this, painter, Qt::AlignLeft | Qt::AlignVCenter, false, focusSkin_.get());
}

void SCheckBox::OnClick() {
  SetCheck(!IsChecked());
  FireCommand();
}

void SCheckBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && isEnabled()) {
    OnClick();
    return;
  }
  SWindow::keyPressEvent(event);
}

void SCheckBox::DrawFocusMark(QPainter& painter) {
  if (focusSkin_ == nullptr) {
    SWindow::DrawFocusMark(painter);
  }
}

}  // namespace keyloom::ui

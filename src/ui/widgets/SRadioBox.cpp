#include "ui/widgets/SRadioBox.h"

#include <QKeyEvent>
#include <QPainter>

#include "settings/AsciiText.h"
#include "ui/host/SApplication.h"
#include "ui/layout/AttributeText.h"
#include "ui/skin/ISkinObj.h"
#include "ui/widgets/ToggleLook.h"

namespace keyloom::ui {

SRadioBox::SRadioBox() {
  SetClickable(true);
  setFocusPolicy(Qt::TabFocus);
}

bool SRadioBox::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SWindow::IsClass(className);
}

AttributeResult SRadioBox::SetAttribute(std::string_view name, const QString& value) {
  if (settings::EqualIgnoringAsciiCase(name, "focusSkin")) {
    std::optional<std::shared_ptr<const ISkinObj>> skin = SApplication::SkinAttribute(value);
    if (!skin) {
      return AttributeResult::kFailed;
    }
    focusSkin_ = std::move(*skin);
    update();
    return AttributeResult::kHandled;
  }
  if (settings::EqualIgnoringAsciiCase(name, "iconAlign")) {
    Qt::Alignment horizontal;
    if (value.compare(QLatin1String("left"), Qt::CaseInsensitive) == 0) {
      horizontal = Qt::AlignLeft;
    } else if (value.compare(QLatin1String("center"), Qt::CaseInsensitive) == 0) {
      horizontal = Qt::AlignHCenter;
    } else if (value.compare(QLatin1String("right"), Qt::CaseInsensitive) == 0) {
      horizontal = Qt::AlignRight;
    } else {
      return AttributeResult::kFailed;
    }
    iconAlign_ = (iconAlign_ & Qt::AlignVertical_Mask) | horizontal;
    update();
    return AttributeResult::kHandled;
  }
  if (settings::EqualIgnoringAsciiCase(name, "iconValign")) {
    Qt::Alignment vertical;
    if (value.compare(QLatin1String("top"), Qt::CaseInsensitive) == 0) {
      vertical = Qt::AlignTop;
    } else if (value.compare(QLatin1String("middle"), Qt::CaseInsensitive) == 0) {
      vertical = Qt::AlignVCenter;
    } else if (value.compare(QLatin1String("bottom"), Qt::CaseInsensitive) == 0) {
      vertical = Qt::AlignBottom;
    } else {
      return AttributeResult::kFailed;
    }
    iconAlign_ = (iconAlign_ & Qt::AlignHorizontal_Mask) | vertical;
    update();
    return AttributeResult::kHandled;
  }
  return SWindow::SetAttribute(name, value);
}

void SRadioBox::SetCheck(bool checked) {
  SWindow::SetCheck(checked);
  if (!checked) {
    return;
  }
  if (const SWindow* parent = GetParentWindow()) {
    for (SWindow* sibling : parent->GetChildWindows()) {
      if (sibling != this && sibling->IsClass(kClassName) && sibling->IsChecked()) {
        sibling->SetCheck(false);
      }
    }
  }
}

QSize SRadioBox::DesiredSize() const {
  return ToggleDesiredSize(*this);
}

bool SRadioBox::HoverChangesLook() const {
  // Without a skin the box is the style's, which may show the hover.
  return GetSkin() == nullptr || SWindow::HoverChangesLook();
}

void SRadioBox::OnPaint(QPainter& painter) {
  FillBackgroundColor(painter);
  PaintToggle(*this, painter, iconAlign_, true, focusSkin_.get());
}

void SRadioBox::OnClick() {
  if (!IsChecked()) {
    SetCheck(true);
  }
  FireCommand();
}

void SRadioBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && isEnabled()) {
    OnClick();
    return;
  }
  SWindow::keyPressEvent(event);
}

void SRadioBox::DrawFocusMark(QPainter& painter) {
  if (focusSkin_ == nullptr) {
    SWindow::DrawFocusMark(painter);
  }
}

}  // namespace keyloom::ui

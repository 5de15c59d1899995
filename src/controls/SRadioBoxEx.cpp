#include "controls/SRadioBoxEx.h"

#include "settings/AsciiText.h"
#include "ui/layout/AttributeText.h"
#include "ui/skin/ISkinObj.h"

namespace keyloom::controls {

bool SRadioBoxEx::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SRadioBox::IsClass(className);
}

ui::AttributeResult SRadioBoxEx::SetAttribute(std::string_view name, const QString& value) {
  const ui::AttributeResult result = look_.SetAttribute(name, value);
  if (result == ui::AttributeResult::kUnknown) {
    return SRadioBox::SetAttribute(name, value);
  }
  update();
  return result;
}

QSize SRadioBoxEx::DesiredSize() const {
  return ToggleExDesiredSize(*this, SRadioBox::DesiredSize());
}

bool SRadioBoxEx::HoverChangesLook() const {
  return SkinOrTextShowsHover() || HasHoverState(look_.iconSkin.get());
}

void SRadioBoxEx::OnPaint(QPainter& painter) {
  FillBackgroundColor(painter);
  PaintToggleEx(*this, painter, look_);
}

void SRadioBoxEx::DrawFocusMark(QPainter& painter) {
  if (const ui::ISkinObj* focus = GetFocusSkin()) {
    focus->Draw(painter, ClientRect(), 0);
  }
}

}  // namespace keyloom::controls

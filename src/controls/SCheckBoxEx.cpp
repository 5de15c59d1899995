#include "controls/SCheckBoxEx.h"

#include "settings/AsciiText.h"
#include "ui/layout/AttributeText.h"
#include "ui/skin/ISkinObj.h"

namespace keyloom::controls {

bool SCheckBoxEx::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SCheckBox::IsClass(className);
}

ui::AttributeResult SCheckBoxEx::SetAttribute(std::string_view name, const QString& value) {
  const ui::AttributeResult result = look_.SetAttribute(name, value);
  if (result == ui::AttributeResult::kUnknown) {
    return SCheckBox::SetAttribute(name, value);
  }
  update();
  return result;
}

QSize SCheckBoxEx::DesiredSize() const {
  return ToggleExDesiredSize(*this, SCheckBox::DesiredSize());
}

bool SCheckBoxEx::HoverChangesLook() const {
  return SkinOrTextShowsHover() || HasHoverState(look_.iconSkin.get());
}

void SCheckBoxEx::OnPaint(QPainter& painter) {
  FillBackgroundColor(painter);
  PaintToggleEx(*this, painter, look_);
}

void SCheckBoxEx::DrawFocusMark(QPainter& painter) {
  if (const ui::ISkinObj* focus = GetFocusSkin()) {
    focus->Draw(painter, ClientRect(), 0);
  }
}

}  // namespace keyloom::controls

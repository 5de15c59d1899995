#include "controls/ToggleExLook.h"

#include <QPainter>

#include "settings/AsciiText.h"
#include "ui/host/SApplication.h"
#include "ui/layout/AttributeText.h"
#include "ui/skin/ISkinObj.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::controls {

ui::AttributeResult ToggleExLook::SetAttribute(std::string_view name, const QString& value) {
  const auto is = [name](std::string_view known) {
    return settings::EqualIgnoringAsciiCase(name, known);
  };
  if (is("iconSkin")) {
    std::optional<std::shared_ptr<const ui::ISkinObj>> skin =
        ui::SApplication::SkinAttribute(value);
    if (!skin) {
      return ui::AttributeResult::kFailed;
    }
    iconSkin = std::move(*skin);
    return ui::AttributeResult::kHandled;
  }
  if (is("iconPos")) {
    const std::optional<std::vector<int>> pos = ui::ParseIntList(value);
    if (!pos || pos->size() != 2) {
      return ui::AttributeResult::kFailed;
    }
    iconPos = QPoint((*pos)[0], (*pos)[1]);
    return ui::AttributeResult::kHandled;
  }
  if (is("textX") || is("textY")) {
    const std::optional<int> offset = ui::ParseInt(value);
    if (!offset) {
      return ui::AttributeResult::kFailed;
    }
    (is("textX") ? textX : textY) = *offset;
    return ui::AttributeResult::kHandled;
  }
  return ui::AttributeResult::kUnknown;
}

int ToggleExSkinState(ui::WindowState state, int stateCount) {
  if ((state & ui::kStatePushed) != 0) {
    return 2;
  }
  if ((state & ui::kStateHover) != 0) {
    return 1;
  }
  if ((state & ui::kStateChecked) != 0) {
    return stateCount > 0 ? stateCount - 1 : 0;
  }
  return 0;
}

QRect ToggleExTextRect(const QRect& client, const ToggleExLook& look, int iconWidth) {
  return client.adjusted(look.iconPos.x() + iconWidth + look.textX, look.iconPos.y() + look.textY,
                         0, 0);
}

void PaintToggleEx(const ui::SWindow& control, QPainter& painter, const ToggleExLook& look) {
  const QRect client = control.ClientRect();
  const ui::WindowState state = control.GetState();
  if (const std::shared_ptr<const ui::ISkinObj>& skin = control.GetSkin()) {
    skin->Draw(painter, client, ToggleExSkinState(state, skin->StateCount()));
  }
  int iconWidth = 0;
  if (look.iconSkin != nullptr) {
    const QSize icon = look.iconSkin->NaturalSize();
    look.iconSkin->Draw(painter, QRect(client.topLeft() + look.iconPos, icon),
                        ui::StateIndex8(state));
    iconWidth = icon.width();
  }
  control.DrawTextIn(painter, ToggleExTextRect(client, look, iconWidth), control.GetDisplayText());
}

QSize ToggleExDesiredSize(const ui::SWindow& control, const QSize& base) {
  const std::shared_ptr<const ui::ISkinObj>& skin = control.GetSkin();
  return skin != nullptr && !skin->NaturalSize().isEmpty() ? skin->NaturalSize() : base;
}

}  // namespace keyloom::controls

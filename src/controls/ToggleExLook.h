#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <memory>
#include <string_view>

#include "ui/layout/AttributeResult.h"
#include "ui/widgets/WindowState.h"

class QPainter;

namespace keyloom::ui {
class ISkinObj;
class SWindow;
}  // namespace keyloom::ui

namespace keyloom::controls {

// The look of "radioex" and "checkex": the control's skin over its whole client area, an icon
// skin (`iconSkin`) at `iconPos` from the client area's top-left at its natural size, and the
// text in the client area moved right past the icon by `textX` and down by `iconPos` y + `textY`.
struct ToggleExLook {
  std::shared_ptr<const ui::ISkinObj> iconSkin;
  QPoint iconPos;
  int textX = 0;
  int textY = 0;

  // Takes "iconSkin", "iconPos", "textX" and "textY"; kUnknown for any other attribute.
  ui::AttributeResult SetAttribute(std::string_view name, const QString& value);
};

// The state of the whole-control skin: 2 pushed, else 1 hover, else its last state when checked,
// else 0. Pushed and hover hide the checked look.
[[nodiscard]] int ToggleExSkinState(ui::WindowState state, int stateCount);

// The text's rectangle: `client` with its left side moved right by iconPos x + `iconWidth` +
// textX and its top moved down by iconPos y + textY.
[[nodiscard]] QRect ToggleExTextRect(const QRect& client, const ToggleExLook& look, int iconWidth);

// Paints a "radioex" or "checkex" over its background colour: skin, icon in the eight-state
// index, text; no focus rectangle.
void PaintToggleEx(const ui::SWindow& control, QPainter& painter, const ToggleExLook& look);

// The natural size of the control's skin when it has one; else `base`.
[[nodiscard]] QSize ToggleExDesiredSize(const ui::SWindow& control, const QSize& base);

}  // namespace keyloom::controls

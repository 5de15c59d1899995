#pragma once

#include <QRect>
#include <QSize>

class QPainter;

namespace keyloom::ui {

class ISkinObj;
class SWindow;

// The look of check boxes and radio buttons: a box (the skin, or the platform's indicator
// without one) placed in the client area by the icon alignment, and the text beside it.

// The side of the box drawn when the control has no skin.
inline constexpr int kDefaultToggleBox = 16;
// The space between the box and the text.
inline constexpr int kToggleTextGap = 4;

// The box: `box` sized, aligned in `client` (left/centre/right, top/middle/bottom).
[[nodiscard]] QRect ToggleIconRect(const QRect& client, const QSize& box, Qt::Alignment align);

// The text's part of `client`: right of a box on the left, left of a box on the right, the whole
// client area for a centred box.
[[nodiscard]] QRect ToggleTextRect(const QRect& client, const QRect& icon, Qt::Alignment align);

// The natural size of a check-style control: the box, the gap and the text, and its margins.
[[nodiscard]] QSize ToggleDesiredSize(const SWindow& control);

// Paints the box and the text of a check-style control: its skin in the box with the eight-state
// index (or the platform indicator, round when `radio`), then `focusSkin` over the box while the
// control shows its focus mark. Answers the box.
QRect PaintToggle(const SWindow& control, QPainter& painter, Qt::Alignment iconAlign, bool radio,
                  const ISkinObj* focusSkin);

}  // namespace keyloom::ui

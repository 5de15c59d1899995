#include "ui/skin/ColorRectSkin.h"

#include <QPainter>
#include <QPen>

namespace keyloom::ui {

namespace {

constexpr int kPlainStates = 4;
constexpr int kCheckedStates = 8;

}  // namespace

ColorRectSkin::ColorRectSkin(Colors colors) : colors_(colors) {}

int ColorRectSkin::StateCount() const {
  return colors_.checked ? kCheckedStates : kPlainStates;
}

QColor ColorRectSkin::ColorOf(int state) const {
  if (state < 0 || state >= StateCount()) {
    state = 0;
  }
  if (state >= kPlainStates) {
    return *colors_.checked;
  }
  switch (state) {
    case 1:
      return colors_.hover.value_or(colors_.normal);
    case 2:
      return colors_.pushed.value_or(colors_.normal);
    case 3:
      return colors_.disabled.value_or(colors_.normal);
    default:
      return colors_.normal;
  }
}

void ColorRectSkin::Draw(QPainter& painter, const QRect& rect, int state, int alpha) const {
  painter.save();
  painter.setOpacity(painter.opacity() * alpha / static_cast<qreal>(kOpaque));
  painter.setRenderHint(QPainter::Antialiasing, colors_.radius > 0);
  QRectF area(rect);
  if (colors_.border && colors_.borderWidth > 0) {
    const qreal inset = colors_.borderWidth / 2.0;
    area.adjust(inset, inset, -inset, -inset);
    painter.setPen(QPen(*colors_.border, colors_.borderWidth));
  } else {
    painter.setPen(Qt::NoPen);
  }
  painter.setBrush(ColorOf(state));
  painter.drawRoundedRect(area, colors_.radius, colors_.radius);
  painter.restore();
}

}  // namespace keyloom::ui

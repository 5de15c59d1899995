#pragma once

#include <QPointF>
#include <QRectF>
#include <vector>

namespace keyloom::controls {

// Where the keycaps of a "keycaps" picture go: one row of caps with a "+" between each two,
// centred in the area. A row wider than the area is scaled down as a whole (caps, gaps, signs
// and height alike) until it fits.
struct KeyCapRow {
  std::vector<QRectF> caps;
  // The centres of the "+" signs, one between each two caps.
  std::vector<QPointF> plusSigns;
  // 1 when the row fits as asked, else the factor it was scaled by.
  qreal scale = 1;
};

// `widths`: each cap's width as asked; `height`: the caps' height; `gap`: the room on either
// side of a "+", which is `plusWidth` wide.
[[nodiscard]] KeyCapRow LayOutKeyCaps(const std::vector<qreal>& widths, qreal height, qreal gap,
                                      qreal plusWidth, const QRectF& area);

}  // namespace keyloom::controls

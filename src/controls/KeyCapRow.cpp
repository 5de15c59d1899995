#include "controls/KeyCapRow.h"

#include <algorithm>
#include <numeric>

namespace keyloom::controls {

KeyCapRow LayOutKeyCaps(const std::vector<qreal>& widths, qreal height, qreal gap, qreal plusWidth,
                        const QRectF& area) {
  KeyCapRow row;
  if (widths.empty()) {
    return row;
  }
  const qreal between = 2 * gap + plusWidth;
  const qreal natural = std::accumulate(widths.begin(), widths.end(), qreal{0}) +
                        static_cast<qreal>(widths.size() - 1) * between;
  if (natural > area.width() && natural > 0) {
    row.scale = area.width() / natural;
  }
  if (height * row.scale > area.height() && height > 0) {
    row.scale = std::min(row.scale, area.height() / height);
  }
  const qreal capHeight = height * row.scale;
  const qreal top = area.center().y() - capHeight / 2;
  qreal x = area.center().x() - natural * row.scale / 2;
  for (std::size_t i = 0; i < widths.size(); ++i) {
    if (i > 0) {
      row.plusSigns.emplace_back(x + (gap + plusWidth / 2) * row.scale, area.center().y());
      x += between * row.scale;
    }
    row.caps.emplace_back(x, top, widths[i] * row.scale, capHeight);
    x += widths[i] * row.scale;
  }
  return row;
}

}  // namespace keyloom::controls

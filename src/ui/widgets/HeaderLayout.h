#pragma once

#include <QPoint>
#include <QRect>
#include <vector>

namespace keyloom::ui {

// The columns of a multi-column list view's header, side by side from the header's left edge,
// each as wide as its width (negative widths count as 0), all as high as the header.
[[nodiscard]] std::vector<QRect> HeaderColumnRects(const QRect& header,
                                                   const std::vector<int>& widths);

// The column under `point`; -1 for none.
[[nodiscard]] int HeaderColumnAt(const std::vector<QRect>& columns, const QPoint& point);

}  // namespace keyloom::ui

#include "ui/widgets/HeaderLayout.h"

#include <algorithm>
#include <cstddef>

namespace keyloom::ui {

std::vector<QRect> HeaderColumnRects(const QRect& header, const std::vector<int>& widths) {
  std::vector<QRect> columns;
  int left = header.left();
  for (const int width : widths) {
    const int kept = std::max(0, width);
    columns.emplace_back(left, header.top(), kept, header.height());
    left += kept;
  }
  return columns;
}

int HeaderColumnAt(const std::vector<QRect>& columns, const QPoint& point) {
  for (std::size_t column = 0; column < columns.size(); ++column) {
    if (columns[column].contains(point)) {
      return static_cast<int>(column);
    }
  }
  return -1;
}

}  // namespace keyloom::ui

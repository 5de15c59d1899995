#include "ui/widgets/SliderGeometry.h"

#include <algorithm>
#include <cmath>

namespace keyloom::ui {

namespace {

int Travel(const QRect& client, const QSize& thumb) {
  return std::max(0, client.width() - thumb.width());
}

}  // namespace

QRect SliderThumbRect(const QRect& client, const QSize& thumb, int minimum, int maximum,
                      int value) {
  const double span = static_cast<double>(maximum) - minimum;
  const double position = static_cast<double>(std::clamp(value, minimum, maximum)) - minimum;
  const int offset =
      span <= 0 ? 0 : static_cast<int>(std::llround(position * Travel(client, thumb) / span));
  return {client.left() + offset, client.top() + (client.height() - thumb.height()) / 2,
          thumb.width(), thumb.height()};
}

int SliderValueAt(const QRect& client, const QSize& thumb, int minimum, int maximum, int x) {
  const int travel = Travel(client, thumb);
  if (maximum <= minimum || travel == 0) {
    return minimum;
  }
  const double offset = x - client.left() - thumb.width() / 2.0;
  const double span = static_cast<double>(maximum) - minimum;
  const long long value = std::llround(minimum + offset * span / travel);
  return static_cast<int>(std::clamp<long long>(value, minimum, maximum));
}

QRect SliderRailRect(const QRect& client, int height) {
  if (height <= 0 || height > client.height()) {
    return client;
  }
  return {client.left(), client.top() + (client.height() - height) / 2, client.width(), height};
}

}  // namespace keyloom::ui

#include "controls/KeyNavigation.h"

#include <QPointF>
#include <QRectF>
#include <cmath>

namespace keyloom::controls {

namespace {

// How far a key is from `from` along the direction and across it; none when it does not lie
// that way.
struct Distance {
  double along = 0;
  double across = 0;
};

std::optional<Distance> DistanceTo(const QRectF& from, const QRectF& key, KeyDirection direction) {
  const QPointF start = from.center();
  const QPointF centre = key.center();
  switch (direction) {
    case KeyDirection::kLeft:
    case KeyDirection::kRight: {
      const bool sameRow = centre.y() >= from.top() && centre.y() <= from.bottom();
      const double along =
          direction == KeyDirection::kRight ? centre.x() - start.x() : start.x() - centre.x();
      if (!sameRow || along <= 0) {
        return std::nullopt;
      }
      return Distance{along, std::abs(centre.y() - start.y())};
    }
    case KeyDirection::kUp:
    case KeyDirection::kDown: {
      const double along =
          direction == KeyDirection::kDown ? key.top() - from.bottom() : from.top() - key.bottom();
      if (along < 0) {
        return std::nullopt;
      }
      return Distance{along, std::abs(centre.x() - start.x())};
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::size_t> NeighbourKey(const std::vector<CoordButton>& keys, std::size_t from,
                                        KeyDirection direction) {
  if (from >= keys.size() || keys[from].rect.isEmpty()) {
    return std::nullopt;
  }
  const QRectF start(keys[from].rect);
  std::optional<std::size_t> best;
  Distance bestDistance;
  // Up and down take the nearest row first: keys count as one row while their distances along
  // differ by less than half the starting key's height.
  const double rowTolerance = start.height() / 2;
  for (std::size_t index = 0; index < keys.size(); ++index) {
    if (index == from || keys[index].rect.isEmpty()) {
      continue;
    }
    const std::optional<Distance> distance = DistanceTo(start, QRectF(keys[index].rect), direction);
    if (!distance) {
      continue;
    }
    const bool vertical = direction == KeyDirection::kUp || direction == KeyDirection::kDown;
    bool better = !best;
    if (best && vertical) {
      better = distance->along < bestDistance.along - rowTolerance ||
               (std::abs(distance->along - bestDistance.along) <= rowTolerance &&
                distance->across < bestDistance.across);
    } else if (best) {
      better = distance->along < bestDistance.along;
    }
    if (better) {
      best = index;
      bestDistance = *distance;
    }
  }
  return best;
}

}  // namespace keyloom::controls

#include "ui/layout/LayoutPos.h"

#include <QStringList>
#include <algorithm>
#include <cstddef>

#include "ui/layout/AttributeText.h"

namespace keyloom::ui {

namespace {

std::optional<LayoutPos::Coordinate> ParseCoordinate(const QString& text, bool sizeAllowed) {
  const QString item = text.trimmed();
  if (item.isEmpty()) {
    return std::nullopt;
  }
  LayoutPos::Coordinate coordinate;
  QString number = item;
  const QChar first = item.at(0);
  if (first == QLatin1Char('@')) {
    if (!sizeAllowed) {
      return std::nullopt;
    }
    coordinate.anchor = LayoutPos::Anchor::kSize;
    number = item.mid(1);
  } else if (first == QLatin1Char('|')) {
    coordinate.anchor = LayoutPos::Anchor::kCenter;
    number = item.mid(1);
  } else if (first == QLatin1Char('-')) {
    coordinate.anchor = LayoutPos::Anchor::kEnd;
    number = item.mid(1);
  }
  const std::optional<int> value = ParseInt(number);
  if (!value) {
    return std::nullopt;
  }
  const bool signAllowed = coordinate.anchor == LayoutPos::Anchor::kCenter;
  if (!signAllowed && (*value < 0 || number.trimmed().startsWith(QLatin1Char('+')))) {
    return std::nullopt;
  }
  coordinate.value = *value;
  return coordinate;
}

// The position of an edge on one axis running from `start` to `end`.
int EdgeAt(const LayoutPos::Coordinate& coordinate, int start, int end) {
  switch (coordinate.anchor) {
    case LayoutPos::Anchor::kEnd:
      return end - coordinate.value;
    case LayoutPos::Anchor::kCenter:
      return start + (end - start) / 2 + coordinate.value;
    case LayoutPos::Anchor::kStart:
    case LayoutPos::Anchor::kSize:
      break;
  }
  return start + coordinate.value;
}

}  // namespace

std::optional<LayoutPos> LayoutPos::Parse(const QString& text) {
  const QStringList items = text.split(QLatin1Char(','));
  if (items.size() != 2 && items.size() != 4) {
    return std::nullopt;
  }
  LayoutPos pos;
  pos.count_ = static_cast<int>(items.size());
  for (int index = 0; index < pos.count_; ++index) {
    const std::optional<Coordinate> coordinate = ParseCoordinate(items.at(index), index >= 2);
    if (!coordinate) {
      return std::nullopt;
    }
    pos.coordinates_[static_cast<std::size_t>(index)] = *coordinate;
  }
  return pos;
}

const LayoutPos::Coordinate& LayoutPos::At(int index) const {
  return coordinates_[static_cast<std::size_t>(std::clamp(index, 0, 3))];
}

QRect LayoutPos::Resolve(const QRect& parentClient, const QSize& naturalSize) const {
  const int startX = parentClient.x();
  const int endX = parentClient.x() + parentClient.width();
  const int startY = parentClient.y();
  const int endY = parentClient.y() + parentClient.height();
  const int left = EdgeAt(At(0), startX, endX);
  const int top = EdgeAt(At(1), startY, endY);
  if (!HasSize()) {
    return {left, top, naturalSize.width(), naturalSize.height()};
  }
  const int right =
      At(2).anchor == Anchor::kSize ? left + At(2).value : EdgeAt(At(2), startX, endX);
  const int bottom =
      At(3).anchor == Anchor::kSize ? top + At(3).value : EdgeAt(At(3), startY, endY);
  return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

}  // namespace keyloom::ui

#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <array>
#include <optional>

namespace keyloom::ui {

// The `pos` attribute: where a control sits in its parent's client area.
//   pos="left,top,right,bottom"  left/top:     N from the start edge, -N from the end edge,
//                                              |N from the centre (N may be negative);
//                                right/bottom: the same, or @N for a width/height of N.
//   pos="x,y"                    at x,y (same forms as left/top) at the control's natural size.
// "-0" is the end edge itself. Pixels are at 100 %.
class LayoutPos {
 public:
  enum class Anchor { kStart, kEnd, kCenter, kSize };

  struct Coordinate {
    Anchor anchor = Anchor::kStart;
    int value = 0;

    bool operator==(const Coordinate&) const = default;
  };

  // Nothing when the text has not two or four coordinates, a coordinate does not read, or @ is
  // used for left or top.
  [[nodiscard]] static std::optional<LayoutPos> Parse(const QString& text);

  // True for the four-coordinate form; false when the natural size decides the size.
  [[nodiscard]] bool HasSize() const { return count_ == 4; }

  [[nodiscard]] const Coordinate& At(int index) const;

  // The control's rectangle in the coordinates of `parentClient` (the parent's client area).
  // A right or bottom left of the left or above the top gives an empty width or height.
  [[nodiscard]] QRect Resolve(const QRect& parentClient, const QSize& naturalSize) const;

 private:
  std::array<Coordinate, 4> coordinates_{};
  int count_ = 0;
};

}  // namespace keyloom::ui

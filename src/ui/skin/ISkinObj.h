#pragma once

#include <QRect>
#include <QSize>

class QPainter;

namespace keyloom::ui {

// A skin draws a rectangle in one of its states (the frames of a multi-state image, the colours
// of a colour rectangle). Controls pick the state from their window state; see WindowState.h.
class ISkinObj {
 public:
  static constexpr int kOpaque = 255;

  virtual ~ISkinObj() = default;

  // Draws state `state` into `rect` with the constant opacity `alpha` (0-255). A state outside
  // 0 .. StateCount() - 1 draws state 0.
  virtual void Draw(QPainter& painter, const QRect& rect, int state, int alpha = kOpaque) const = 0;

  // The number of states, at least 1.
  [[nodiscard]] virtual int StateCount() const = 0;

  // The size of one state drawn unscaled (one frame of an image); 0 x 0 for skins that have none.
  [[nodiscard]] virtual QSize NaturalSize() const = 0;
};

}  // namespace keyloom::ui

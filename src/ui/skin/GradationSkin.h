#pragma once

#include <QColor>

#include "ui/skin/ISkinObj.h"

namespace keyloom::ui {

// Tag "gradation": a linear gradient from `from` to `to`, left to right or top to bottom. One
// state, no natural size.
class GradationSkin : public ISkinObj {
 public:
  GradationSkin(QColor from, QColor to, bool vertical);

  void Draw(QPainter& painter, const QRect& rect, int state, int alpha = kOpaque) const override;
  [[nodiscard]] int StateCount() const override { return 1; }
  [[nodiscard]] QSize NaturalSize() const override { return {}; }

 private:
  QColor from_;
  QColor to_;
  bool vertical_;
};

}  // namespace keyloom::ui

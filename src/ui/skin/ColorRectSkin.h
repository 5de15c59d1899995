#pragma once

#include <QColor>
#include <optional>

#include "ui/skin/ISkinObj.h"

namespace keyloom::ui {

// Tag "colorrect": a filled, optionally rounded and bordered rectangle whose colour follows the
// state: 0 normal, 1 hover, 2 pushed, 3 disabled; with a checked colour also 4-7, the same four
// states of a checked control, all in the checked colour. A missing colour falls back to normal.
class ColorRectSkin : public ISkinObj {
 public:
  struct Colors {
    QColor normal;
    std::optional<QColor> hover;
    std::optional<QColor> pushed;
    std::optional<QColor> disabled;
    std::optional<QColor> checked;
    std::optional<QColor> border;
    int borderWidth = 1;
    int radius = 0;
  };

  explicit ColorRectSkin(Colors colors);

  void Draw(QPainter& painter, const QRect& rect, int state, int alpha = kOpaque) const override;
  [[nodiscard]] int StateCount() const override;
  [[nodiscard]] QSize NaturalSize() const override { return {}; }

  [[nodiscard]] QColor ColorOf(int state) const;

 private:
  Colors colors_;
};

}  // namespace keyloom::ui

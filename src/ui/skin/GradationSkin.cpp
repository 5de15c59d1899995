#include "ui/skin/GradationSkin.h"

#include <QLinearGradient>
#include <QPainter>

namespace keyloom::ui {

GradationSkin::GradationSkin(QColor from, QColor to, bool vertical)
    : from_(from), to_(to), vertical_(vertical) {}

void GradationSkin::Draw(QPainter& painter, const QRect& rect, int /*state*/, int alpha) const {
  const QPointF end =
      vertical_ ? QPointF(rect.left(), rect.bottom() + 1) : QPointF(rect.right() + 1, rect.top());
  QLinearGradient gradient(rect.topLeft(), end);
  gradient.setColorAt(0.0, from_);
  gradient.setColorAt(1.0, to_);
  painter.save();
  painter.setOpacity(painter.opacity() * alpha / static_cast<qreal>(kOpaque));
  painter.fillRect(rect, gradient);
  painter.restore();
}

}  // namespace keyloom::ui

#pragma once

#include <QGraphicsView>
#include <QSize>

class QGraphicsProxyWidget;

namespace keyloom::ui {

class SWindow;

// What a scaled host window shows at a scale other than 1: its root control, drawn at that
// scale, in a view that fills the window.
class ScaledView : public QGraphicsView {
 public:
  // Shows `root` (a control without parent, which the view then owns) in `window`.
  ScaledView(QWidget& window, SWindow& root);

  // Draws the root at `scale`; the root is `rootSize` at 100 %.
  void SetScale(qreal scale, const QSize& rootSize);
  // The root control shown.
  [[nodiscard]] QWidget* Content() const;

 private:
  QGraphicsProxyWidget* proxy_ = nullptr;
};

}  // namespace keyloom::ui

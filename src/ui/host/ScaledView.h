#pragma once

#include <QGraphicsView>
#include <QSize>

class QGraphicsProxyWidget;

namespace keyloom::ui {

class SWindow;

// What a scaled host window shows: its root control, drawn at a scale, in a view that fills the
// window. As the window has no frame, the view lets its edges resize it: within kEdgeWidth
// pixels of an edge the cursor shows the resize arrows and a press of the left button hands the
// resize to the window system.
class ScaledView : public QGraphicsView {
 public:
  static constexpr int kEdgeWidth = 6;

  // Shows `root` (a control without parent, which the view then owns) in `window`.
  ScaledView(QWidget& window, SWindow& root);

  // Draws the root at `scale`; the root is `rootSize` at 100 %.
  void SetScale(qreal scale, const QSize& rootSize);
  [[nodiscard]] qreal Scale() const { return scale_; }
  // The root control shown.
  [[nodiscard]] QWidget* Content() const;

  // The edges of the window that a press at `pos` (in the view) resizes; none away from the
  // edges, and none while the window is maximised or full screen.
  [[nodiscard]] Qt::Edges EdgesAt(const QPoint& pos) const;

 protected:
  bool viewportEvent(QEvent* event) override;

 private:
  QGraphicsProxyWidget* proxy_ = nullptr;
  qreal scale_ = 1.0;
  // The resize arrows are shown.
  bool edgeCursor_ = false;
};

}  // namespace keyloom::ui

#include "ui/host/ScaledView.h"

#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QMouseEvent>
#include <QWindow>

#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

namespace {

Qt::CursorShape ResizeCursor(Qt::Edges edges) {
  const bool horizontal = (edges & (Qt::LeftEdge | Qt::RightEdge)) != 0;
  const bool vertical = (edges & (Qt::TopEdge | Qt::BottomEdge)) != 0;
  if (horizontal && vertical) {
    const bool falling =
        edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge);
    return falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
  }
  return horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor;
}

}  // namespace

ScaledView::ScaledView(QWidget& window, SWindow& root) : QGraphicsView(&window) {
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                 QPainter::SmoothPixmapTransform);
  setOptimizationFlag(QGraphicsView::DontSavePainterState);
  setMouseTracking(true);
  auto* scene = new QGraphicsScene(this);
  scene->setItemIndexMethod(QGraphicsScene::NoIndex);
  setScene(scene);
  proxy_ = scene->addWidget(&root);
  // Tab passes through the scene into the root's controls.
  proxy_->setFocusPolicy(Qt::StrongFocus);
}

QWidget* ScaledView::Content() const {
  return proxy_->widget();
}

void ScaledView::SetScale(qreal scale, const QSize& rootSize) {
  scale_ = scale;
  scene()->setSceneRect(QRectF(QPointF(0, 0), QSizeF(rootSize)));
  setTransform(QTransform::fromScale(scale, scale));
}

Qt::Edges ScaledView::EdgesAt(const QPoint& pos) const {
  const QWidget* top = window();
  if (top->isMaximized() || top->isFullScreen()) {
    return {};
  }
  Qt::Edges edges;
  if (pos.x() < kEdgeWidth) {
    edges |= Qt::LeftEdge;
  } else if (pos.x() >= width() - kEdgeWidth) {
    edges |= Qt::RightEdge;
  }
  if (pos.y() < kEdgeWidth) {
    edges |= Qt::TopEdge;
  } else if (pos.y() >= height() - kEdgeWidth) {
    edges |= Qt::BottomEdge;
  }
  return edges;
}

bool ScaledView::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::MouseMove) {
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    const Qt::Edges edges =
        mouse->buttons() == Qt::NoButton ? EdgesAt(mouse->position().toPoint()) : Qt::Edges();
    if (edges != Qt::Edges()) {
      viewport()->setCursor(ResizeCursor(edges));
      edgeCursor_ = true;
      return true;
    }
    if (edgeCursor_) {
      viewport()->unsetCursor();
      edgeCursor_ = false;
    }
  } else if (event->type() == QEvent::MouseButtonPress) {
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    const Qt::Edges edges =
        mouse->button() == Qt::LeftButton ? EdgesAt(mouse->position().toPoint()) : Qt::Edges();
    QWindow* handle = window()->windowHandle();
    if (edges != Qt::Edges() && handle != nullptr && handle->startSystemResize(edges)) {
      return true;
    }
  }
  return QGraphicsView::viewportEvent(event);
}

}  // namespace keyloom::ui

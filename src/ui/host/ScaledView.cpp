#include "ui/host/ScaledView.h"

#include <QGraphicsProxyWidget>
#include <QGraphicsScene>

#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

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
  scene()->setSceneRect(QRectF(QPointF(0, 0), QSizeF(rootSize)));
  setTransform(QTransform::fromScale(scale, scale));
}

}  // namespace keyloom::ui

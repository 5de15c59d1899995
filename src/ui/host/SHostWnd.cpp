#include "ui/host/SHostWnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "ui/events/LookupTrace.h"
#include "ui/host/SApplication.h"
#include "ui/host/ScaledView.h"
#include "ui/layout/AttributeText.h"
#include "ui/layout/LayoutBuilder.h"
#include "ui/layout/XmlAttribute.h"
#include "ui/widgets/SCaption.h"

namespace keyloom::ui {

namespace {

// Closing the main window is the normal way to end the program.
constexpr int kMainWindowExitCode = 0;

// The title bar's controls come last in the Tab order, after the window's content in the order
// of the layout, so that the first Tab in a new window reaches its content. A widget given a
// parent joins the end of its window's focus chain, with its children.
void PutTitleBarLast(SWindow& root) {
  for (SWindow* child : root.GetChildWindows()) {
    if (child->IsClass(SCaption::kClassName)) {
      const bool hidden = child->isHidden();
      child->setParent(nullptr);
      child->setParent(&root);
      child->setHidden(hidden);
    }
  }
}

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

SHostWnd::SHostWnd(QString layoutName) : layoutName_(std::move(layoutName)) {
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
}

SHostWnd::~SHostWnd() {
  if (root_ != nullptr) {
    root_->RunDestroyHooks();
  }
}

bool SHostWnd::Create(QWidget* owner) {
  const SApplication* app = SApplication::Instance();
  pugi::xml_document document;
  if (IsCreated() || destroyed_ || app == nullptr ||
      !app->LoadXml(layoutName_, document, QStringLiteral("LAYOUT"))) {
    return false;
  }
  const pugi::xml_node layout = document.document_element();
  setParent(owner, windowFlags());
  const auto resolved = [app, &layout](std::string_view name) {
    return app->ResolveValue(FindAttribute(layout, name).value_or(QString()));
  };
  title_ = resolved("title");
  setWindowTitle(SApplication::Tr(title_));
  const QSize size(ParseInt(resolved("width")).value_or(0),
                   ParseInt(resolved("height")).value_or(0));
  const bool scaled = !size.isEmpty() && ParseBool(resolved("scale")).value_or(false);
  scaled_ = scaled;
  designSize_ = size;
  if (!size.isEmpty()) {
    resize(size);
    if (scaled) {
      setMinimumSize((QSizeF(size) * kSmallestScale).toSize());
    } else if (!ParseBool(resolved("resize")).value_or(true)) {
      setFixedSize(size);
    }
  }
  auto* root = new SWindow(this);
  root_ = root;
  root->setGeometry(rect());
  const pugi::xml_node rootElement = layout.child("root");
  {
    // Laid out once, below, when every control and its texts are there.
    const SWindow::LayoutBatch batch;
    LayoutBuilder::ApplyAttributes(*root, rootElement);
    root->OnCreate();
    root->CreateChildren(rootElement);
  }
  PutTitleBarLast(*root);
  root->LayoutTree();
  // The window itself holds the focus when it first becomes active, so that the first Tab
  // reaches the first control.
  setFocus(Qt::OtherFocusReason);
  OnInitDialog();
  return true;
}

void SHostWnd::CreateScaledView() {
  QWidget* focus = QApplication::focusWidget();
  if (focus == nullptr || !root_->isAncestorOf(focus)) {
    focus = nullptr;
  }
  root_->setParent(nullptr);
  view_ = new ScaledView(*this, *root_);
  root_->show();
  view_->show();
  if (focus != nullptr) {
    // Neither from the keyboard nor from the mouse: the focus mark stays as it was.
    view_->setFocus(Qt::OtherFocusReason);
    focus->setFocus(Qt::OtherFocusReason);
  }
}

void SHostWnd::ApplyScale() {
  if (!scaled_ || root_ == nullptr) {
    return;
  }
  const qreal scale = ContentScale();
  if (scale <= 0) {
    return;
  }
  if (view_ == nullptr) {
    if (scale == 1.0) {
      root_->setGeometry(rect());
      return;
    }
    CreateScaledView();
  }
  view_->setGeometry(rect());
  // The root covers the whole window, whatever its proportions.
  const QSize rootSize(static_cast<int>(std::ceil(width() / scale)),
                       static_cast<int>(std::ceil(height() / scale)));
  root_->resize(rootSize);
  view_->SetScale(scale, rootSize);
}

qreal SHostWnd::ContentScale() const {
  if (!scaled_) {
    return 1.0;
  }
  return std::min(width() / static_cast<qreal>(designSize_.width()),
                  height() / static_cast<qreal>(designSize_.height()));
}

QSize SHostWnd::FittedSize(const QSize& design, const QSize& preferred, const QSize& available) {
  const QSize smallest = (QSizeF(design) * kSmallestScale).toSize();
  if (!preferred.isEmpty()) {
    return preferred.boundedTo(available).expandedTo(smallest);
  }
  if (design.isEmpty() || available.isEmpty()) {
    return design;
  }
  const qreal scale = std::clamp(std::min({1.0, available.width() / qreal(design.width()),
                                           available.height() / qreal(design.height())}),
                                 kSmallestScale, 1.0);
  return (QSizeF(design) * scale).toSize();
}

void SHostWnd::FitToScreen(const QSize& preferred) {
  const QScreen* current = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
  if (!scaled_ || current == nullptr) {
    return;
  }
  resize(FittedSize(designSize_, preferred, current->availableGeometry().size()));
}

SWindow* SHostWnd::FindChildByName(const QString& name, int depth) const {
  return root_ != nullptr ? root_->FindChildByName(name, depth) : nullptr;
}

SWindow* SHostWnd::FindChildByID(int id, int depth) const {
  return root_ != nullptr ? root_->FindChildByID(id, depth) : nullptr;
}

SWindow* SHostWnd::FindChildByName2(const QString& name, std::string_view className,
                                    int depth) const {
  if (root_ == nullptr) {
    TraceFailedLookupByName(className, name, depth);
    return nullptr;
  }
  return root_->FindChildByName2(name, className, depth);
}

SWindow* SHostWnd::FindChildByID2(int id, std::string_view className, int depth) const {
  if (root_ == nullptr) {
    TraceFailedLookupById(className, id, depth);
    return nullptr;
  }
  return root_->FindChildByID2(id, className, depth);
}

void SHostWnd::DestroyWindow() {
  if (destroyed_ || root_ == nullptr) {
    return;
  }
  destroyed_ = true;
  hide();
  OnDestroy();
  root_->Destroy();
  root_ = nullptr;
}

void SHostWnd::PostCloseRequest() {
  // Comes back as a close request (closeEvent).
  QCoreApplication::postEvent(this, new QCloseEvent);
}

void SHostWnd::SendSysCommand(int command) {
  switch (command) {
    case kSysCommandMinimize:
      showMinimized();
      break;
    case kSysCommandMaximize:
      showMaximized();
      break;
    case kSysCommandRestore:
      showNormal();
      break;
    default:
      break;
  }
}

void SHostWnd::SendLanguageChanged() {
  setWindowTitle(SApplication::Tr(title_));
  if (root_ != nullptr) {
    root_->BroadcastLanguageChanged();
  }
}

void SHostWnd::CenterWindow() {
  QRect area;
  if (parentWidget() != nullptr) {
    area = parentWidget()->window()->frameGeometry();
  } else if (const QScreen* current =
                 screen() != nullptr ? screen() : QGuiApplication::primaryScreen()) {
    area = current->availableGeometry();
  }
  if (!area.isEmpty()) {
    move(area.center() - rect().center());
  }
}

void SHostWnd::SetWindowProperty(const QString& name, int value) {
  properties_[name] = value;
}

std::optional<int> SHostWnd::GetWindowProperty(const QString& name) const {
  const auto found = properties_.find(name);
  if (found == properties_.end()) {
    return std::nullopt;
  }
  return found->second;
}

bool SHostWnd::RemoveWindowProperty(const QString& name) {
  return properties_.erase(name) > 0;
}

void SHostWnd::RegisterTimelineHandler(ITimelineHandler* handler) {
  timeline_.RegisterHandler(handler);
}

void SHostWnd::UnregisterTimelineHandler(ITimelineHandler* handler) {
  timeline_.UnregisterHandler(handler);
}

void SHostWnd::WakeTimeline() {
  timeline_.Wake();
}

void SHostWnd::OnClose() {
  DestroyWindow();
}

void SHostWnd::OnDestroy() {
  const SApplication* app = SApplication::Instance();
  if (app != nullptr && app->GetMainWindow() == this) {
    QCoreApplication::exit(kMainWindowExitCode);
  }
}

void SHostWnd::OnCommand(int /*notifyCode*/, int /*id*/) {}

void SHostWnd::OnInitMenu(PopupMenu& /*menu*/) {}

void SHostWnd::OnEvent(EventArgs& /*args*/) {}

void SHostWnd::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (!destroyed_) {
    OnClose();
  }
}

void SHostWnd::resizeEvent(QResizeEvent* /*event*/) {
  if (scaled_) {
    ApplyScale();
  } else if (root_ != nullptr) {
    root_->setGeometry(rect());
  }
}

void SHostWnd::showEvent(QShowEvent* event) {
  // The system window sees the mouse before any control or view does. Installed again at every
  // show, as the system window may be a new one.
  if (QWindow* handle = windowHandle(); scaled_ && handle != nullptr) {
    handle->installEventFilter(this);
  }
  QWidget::showEvent(event);
}

bool SHostWnd::eventFilter(QObject* watched, QEvent* event) {
  if (watched == windowHandle() &&
      (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress)) {
    return HandleEdgeEvent(*static_cast<const QMouseEvent*>(event));
  }
  return QWidget::eventFilter(watched, event);
}

Qt::Edges SHostWnd::EdgesAt(const QPoint& pos) const {
  if (!scaled_ || isMaximized() || isFullScreen()) {
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

bool SHostWnd::HandleEdgeEvent(const QMouseEvent& event) {
  QWindow* handle = windowHandle();
  const QPoint pos = event.position().toPoint();
  if (event.type() == QEvent::MouseButtonPress) {
    const Qt::Edges edges = event.button() == Qt::LeftButton ? EdgesAt(pos) : Qt::Edges();
    return edges != Qt::Edges() && handle->startSystemResize(edges);
  }
  const Qt::Edges edges = event.buttons() == Qt::NoButton ? EdgesAt(pos) : Qt::Edges();
  if (edges != Qt::Edges()) {
    handle->setCursor(ResizeCursor(edges));
    edgeCursor_ = true;
    return true;
  }
  if (edgeCursor_) {
    // Back to the cursor of what the mouse is over.
    const QWidget* under = childAt(pos);
    handle->setCursor(under != nullptr ? under->cursor() : cursor());
    edgeCursor_ = false;
  }
  return false;
}

}  // namespace keyloom::ui

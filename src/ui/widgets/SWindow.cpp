#include "ui/widgets/SWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QPointer>

#include "settings/AsciiText.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/events/LookupTrace.h"
#include "ui/host/SApplication.h"
#include "ui/host/SHostWnd.h"
#include "ui/layout/AttributeText.h"
#include "ui/layout/LayoutBuilder.h"
#include "ui/skin/ColorText.h"
#include "ui/skin/FontText.h"
#include "ui/skin/ISkinObj.h"
#include "ui/skin/NamedIdTable.h"

namespace keyloom::ui {

namespace {

std::optional<Qt::Alignment> HorizontalAlignment(const QString& value) {
  if (value.compare(QLatin1String("left"), Qt::CaseInsensitive) == 0) {
    return Qt::AlignLeft;
  }
  if (value.compare(QLatin1String("center"), Qt::CaseInsensitive) == 0) {
    return Qt::AlignHCenter;
  }
  if (value.compare(QLatin1String("right"), Qt::CaseInsensitive) == 0) {
    return Qt::AlignRight;
  }
  return std::nullopt;
}

std::optional<Qt::Alignment> VerticalAlignment(const QString& value) {
  if (value.compare(QLatin1String("top"), Qt::CaseInsensitive) == 0) {
    return Qt::AlignTop;
  }
  if (value.compare(QLatin1String("middle"), Qt::CaseInsensitive) == 0 ||
      value.compare(QLatin1String("center"), Qt::CaseInsensitive) == 0) {
    return Qt::AlignVCenter;
  }
  if (value.compare(QLatin1String("bottom"), Qt::CaseInsensitive) == 0) {
    return Qt::AlignBottom;
  }
  return std::nullopt;
}

std::optional<QMargins> ParseMargins(const QString& value) {
  const std::optional<std::vector<int>> values = ParseIntList(value);
  if (!values) {
    return std::nullopt;
  }
  if (values->size() == 1) {
    return QMargins((*values)[0], (*values)[0], (*values)[0], (*values)[0]);
  }
  if (values->size() == 4) {
    return QMargins((*values)[0], (*values)[1], (*values)[2], (*values)[3]);
  }
  return std::nullopt;
}

}  // namespace

SWindow::SWindow(QWidget* parent) : QWidget(parent) {}

SWindow::~SWindow() = default;

bool SWindow::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName);
}

void SWindow::SetName(const QString& name) {
  name_ = name;
  if (!idSet_) {
    id_ = NamedIdTable::IdOf(name.toStdString()).value_or(0);
  }
}

void SWindow::SetID(int id) {
  id_ = id;
  idSet_ = true;
}

AttributeResult SWindow::SetAttribute(std::string_view name, const QString& value) {
  const auto is = [name](std::string_view known) {
    return settings::EqualIgnoringAsciiCase(name, known);
  };
  if (is("name")) {
    SetName(value);
    return AttributeResult::kHandled;
  }
  if (is("text")) {
    SetText(value);
    return AttributeResult::kHandled;
  }
  if (is("tip")) {
    SetToolTipText(value);
    return AttributeResult::kHandled;
  }
  if (is("accName") || is("accDesc")) {
    SetAccessibleText(is("accName") ? value : accessibleName_,
                      is("accDesc") ? value : accessibleDescription_);
    return AttributeResult::kHandled;
  }
  if (is("accRole")) {
    if (value.compare(QLatin1String("status"), Qt::CaseInsensitive) == 0) {
      accessibleRole_ = QAccessible::StatusBar;
    } else if (value.compare(QLatin1String("alert"), Qt::CaseInsensitive) == 0) {
      accessibleRole_ = QAccessible::AlertMessage;
    } else {
      return AttributeResult::kFailed;
    }
    return AttributeResult::kHandled;
  }
  if (is("colorFocus")) {
    const std::optional<QColor> color = ParseColor(value);
    if (!color) {
      return AttributeResult::kFailed;
    }
    focusColor_ = *color;
    update();
    return AttributeResult::kHandled;
  }
  if (is("id") || is("data") || is("width") || is("height")) {
    const std::optional<int> number = ParseInt(value);
    if (!number || ((is("width") || is("height")) && *number < 0)) {
      return AttributeResult::kFailed;
    }
    if (is("id")) {
      SetID(*number);
    } else if (is("data")) {
      SetUserData(static_cast<std::uint32_t>(*number));
    } else {
      (is("width") ? fixedWidth_ : fixedHeight_) = *number;
      NaturalSizeChanged();
    }
    return AttributeResult::kHandled;
  }
  if (is("visible") || is("enable") || is("checked")) {
    const std::optional<bool> flag = ParseBool(value);
    if (!flag) {
      return AttributeResult::kFailed;
    }
    if (is("visible")) {
      setVisible(*flag);
    } else if (is("enable")) {
      setEnabled(*flag);
    } else {
      SetCheck(*flag);
    }
    return AttributeResult::kHandled;
  }
  if (is("pos")) {
    const std::optional<LayoutPos> pos = LayoutPos::Parse(value);
    if (!pos) {
      return AttributeResult::kFailed;
    }
    SetPos(*pos);
    return AttributeResult::kHandled;
  }
  if (is("margin")) {
    const std::optional<QMargins> margins = ParseMargins(value);
    if (!margins) {
      return AttributeResult::kFailed;
    }
    margins_ = *margins;
    LayoutChildrenUnlessBatched();
    return AttributeResult::kHandled;
  }
  if (is("skin")) {
    std::optional<std::shared_ptr<const ISkinObj>> skin = SApplication::SkinAttribute(value);
    if (!skin) {
      return AttributeResult::kFailed;
    }
    SetSkin(std::move(*skin));
    return AttributeResult::kHandled;
  }
  if (is("colorBkgnd") || is("colorText") || is("colorTextHover") || is("colorTextPushed") ||
      is("colorTextDisabled")) {
    const std::optional<QColor> color = ParseColor(value);
    if (!color) {
      return AttributeResult::kFailed;
    }
    if (is("colorBkgnd")) {
      backgroundColor_ = color;
    } else if (is("colorText")) {
      textColor_ = color;
    } else {
      stateTextColors_[is("colorTextHover") ? 1U : is("colorTextPushed") ? 2U : 3U] = color;
    }
    update();
    return AttributeResult::kHandled;
  }
  if (is("font")) {
    const SApplication* app = SApplication::Instance();
    const std::optional<QFont> font =
        ParseFont(value, app != nullptr ? app->DefaultFont() : QWidget::font());
    if (!font) {
      return AttributeResult::kFailed;
    }
    setFont(*font);
    NaturalSizeChanged();
    return AttributeResult::kHandled;
  }
  if (is("align") || is("valign")) {
    const bool horizontal = is("align");
    const std::optional<Qt::Alignment> part =
        horizontal ? HorizontalAlignment(value) : VerticalAlignment(value);
    if (!part) {
      return AttributeResult::kFailed;
    }
    SetTextAlignment(
        (alignment_ & (horizontal ? Qt::AlignVertical_Mask : Qt::AlignHorizontal_Mask)) | *part);
    return AttributeResult::kHandled;
  }
  if (is("cursor")) {
    if (value.compare(QLatin1String("hand"), Qt::CaseInsensitive) == 0) {
      setCursor(Qt::PointingHandCursor);
    } else if (value.compare(QLatin1String("arrow"), Qt::CaseInsensitive) == 0) {
      setCursor(Qt::ArrowCursor);
    } else {
      return AttributeResult::kFailed;
    }
    return AttributeResult::kHandled;
  }
  return AttributeResult::kUnknown;
}

void SWindow::CreateChildren(const pugi::xml_node& element) {
  LayoutBuilder::CreateChildren(*this, element);
}

void SWindow::Destroy() {
  if (destroyed_) {
    return;
  }
  RunDestroyHooks();
  hide();
  deleteLater();
}

void SWindow::RunDestroyHooks() {
  if (destroyed_) {
    return;
  }
  destroyed_ = true;
  OnDestroy();
  for (QObject* child : children()) {
    if (auto* window = dynamic_cast<SWindow*>(child)) {
      window->RunDestroyHooks();
    }
  }
}

SWindow* SWindow::GetParentWindow() const {
  for (QWidget* widget = parentWidget(); widget != nullptr; widget = widget->parentWidget()) {
    if (auto* window = dynamic_cast<SWindow*>(widget)) {
      return window;
    }
    if (widget->isWindow()) {
      return nullptr;
    }
  }
  return nullptr;
}

std::vector<SWindow*> SWindow::GetChildWindows() const {
  std::vector<SWindow*> windows;
  for (QObject* child : children()) {
    auto* window = dynamic_cast<SWindow*>(child);
    if (window != nullptr && !window->destroyed_) {
      windows.push_back(window);
    }
  }
  return windows;
}

SHostWnd* SWindow::GetHostWnd() const {
  QWidget* top = window();
  // The root of a scaled window is shown by a view in it.
  if (const QGraphicsProxyWidget* proxy = top->graphicsProxyWidget();
      proxy != nullptr && proxy->scene() != nullptr && !proxy->scene()->views().isEmpty()) {
    top = proxy->scene()->views().first()->window();
  }
  return dynamic_cast<SHostWnd*>(top);
}

SWindow* SWindow::FindChildByName(const QString& name, int depth) const {
  if (depth == 0 || name.isEmpty()) {
    return nullptr;
  }
  const std::vector<SWindow*> children = GetChildWindows();
  for (SWindow* child : children) {
    if (child->name_ == name) {
      return child;
    }
  }
  const int below = depth > 0 ? depth - 1 : depth;
  if (below == 0) {
    return nullptr;
  }
  for (SWindow* child : children) {
    if (SWindow* found = child->FindChildByName(name, below)) {
      return found;
    }
  }
  return nullptr;
}

SWindow* SWindow::FindChildByID(int id, int depth) const {
  if (depth == 0) {
    return nullptr;
  }
  const std::vector<SWindow*> children = GetChildWindows();
  for (SWindow* child : children) {
    if (child->id_ == id) {
      return child;
    }
  }
  const int below = depth > 0 ? depth - 1 : depth;
  if (below == 0) {
    return nullptr;
  }
  for (SWindow* child : children) {
    if (SWindow* found = child->FindChildByID(id, below)) {
      return found;
    }
  }
  return nullptr;
}

SWindow* SWindow::FindChildByName2(const QString& name, std::string_view className,
                                   int depth) const {
  SWindow* found = FindChildByName(name, depth);
  if (found == nullptr || !found->IsClass(className)) {
    TraceFailedLookupByName(className, name, depth);
    return nullptr;
  }
  return found;
}

SWindow* SWindow::FindChildByID2(int id, std::string_view className, int depth) const {
  SWindow* found = FindChildByID(id, depth);
  if (found == nullptr || !found->IsClass(className)) {
    TraceFailedLookupById(className, id, depth);
    return nullptr;
  }
  return found;
}

void SWindow::SetText(const QString& text) {
  text_ = text;
  const QString shown = SApplication::Tr(text_);
  const bool changed = shown != displayText_;
  displayText_ = shown;
  update();
  NaturalSizeChanged();
  // A screen reader hears of a line that changes (the connection status, the notice line).
  if (changed && QAccessible::isActive()) {
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
  }
}

void SWindow::SetAccessibleText(const QString& name, const QString& description) {
  accessibleName_ = name;
  accessibleDescription_ = description;
  setAccessibleName(SApplication::Tr(accessibleName_));
  setAccessibleDescription(SApplication::Tr(accessibleDescription_));
}

void SWindow::SetToolTipText(const QString& text) {
  tip_ = text;
  setToolTip(SApplication::Tr(tip_));
}

void SWindow::OnLanguageChanged() {
  displayText_ = SApplication::Tr(text_);
  setToolTip(SApplication::Tr(tip_));
  SetAccessibleText(accessibleName_, accessibleDescription_);
  update();
  NaturalSizeChanged();
}

void SWindow::BroadcastLanguageChanged() {
  OnLanguageChanged();
  for (SWindow* child : GetChildWindows()) {
    child->BroadcastLanguageChanged();
  }
}

void SWindow::SetCheck(bool checked) {
  checked_ = checked;
  update();
}

WindowState SWindow::GetState() const {
  WindowState state = kStateNormal;
  if (hover_) {
    state |= kStateHover;
  }
  if (pressed_) {
    state |= kStatePushed;
  }
  if (checked_) {
    state |= kStateChecked;
  }
  if (!isEnabled()) {
    state |= kStateDisabled;
  }
  return state;
}

void SWindow::SetPos(const LayoutPos& pos) {
  pos_ = pos;
  if (SWindow* parent = GetParentWindow()) {
    parent->LayoutChildrenUnlessBatched();
  }
}

QRect SWindow::ClientRect() const {
  return rect().marginsRemoved(margins_);
}

QRect SWindow::RectInHost() const {
  return {mapTo(window(), QPoint(0, 0)), size()};
}

QSize SWindow::NaturalSize() const {
  const QSize desired = DesiredSize();
  return {fixedWidth_.value_or(desired.width()), fixedHeight_.value_or(desired.height())};
}

QSize SWindow::DesiredSize() const {
  if (skin_ != nullptr && !skin_->NaturalSize().isEmpty()) {
    return skin_->NaturalSize();
  }
  if (displayText_.isEmpty()) {
    return {};
  }
  const QFontMetrics metrics(font());
  const QSize text(metrics.horizontalAdvance(displayText_), metrics.height());
  return text.grownBy(margins_);
}

void SWindow::LayoutChildren() {
  const QRect client = ClientRect();
  for (SWindow* child : GetChildWindows()) {
    child->setGeometry(child->pos_ ? child->pos_->Resolve(client, child->NaturalSize()) : client);
  }
}

void SWindow::LayoutTree() {
  LayoutChildren();
  for (SWindow* child : GetChildWindows()) {
    child->LayoutTree();
  }
}

void SWindow::NaturalSizeChanged() {
  if (pos_ && !pos_->HasSize()) {
    if (SWindow* parent = GetParentWindow()) {
      parent->LayoutChildrenUnlessBatched();
    }
  }
}

namespace {

int openLayoutBatches = 0;

}  // namespace

SWindow::LayoutBatch::LayoutBatch() {
  ++openLayoutBatches;
}

SWindow::LayoutBatch::~LayoutBatch() {
  --openLayoutBatches;
}

void SWindow::LayoutChildrenUnlessBatched() {
  if (openLayoutBatches == 0) {
    LayoutChildren();
  }
}

void SWindow::SetSkin(std::shared_ptr<const ISkinObj> skin) {
  skin_ = std::move(skin);
  update();
  NaturalSizeChanged();
}

QColor SWindow::TextColor(int stateIndex) const {
  if (stateIndex > 0 && stateIndex < static_cast<int>(stateTextColors_.size())) {
    if (const auto& color = stateTextColors_[static_cast<std::size_t>(stateIndex)]) {
      return *color;
    }
  }
  return textColor_.value_or(palette().color(QPalette::WindowText));
}

void SWindow::SetTextAlignment(Qt::Alignment alignment) {
  alignment_ = alignment;
  update();
}

void SWindow::DrawTextIn(QPainter& painter, const QRect& rect, const QString& text,
                         bool multiLine) const {
  if (text.isEmpty() || rect.isEmpty()) {
    return;
  }
  painter.save();
  painter.setFont(font());
  painter.setPen(TextColor(StateIndex4(GetState())));
  if (multiLine) {
    painter.drawText(rect, static_cast<int>(alignment_) | Qt::TextWordWrap, text);
  } else {
    const QString shown = QFontMetrics(font()).elidedText(text, Qt::ElideRight, rect.width());
    painter.drawText(rect, static_cast<int>(alignment_) | Qt::TextSingleLine, shown);
  }
  painter.restore();
}

SubscriptionId SWindow::Subscribe(int eventId, EventHandler handler, const void* key) {
  return subscriptions_.Subscribe(eventId, std::move(handler), key);
}

bool SWindow::Unsubscribe(SubscriptionId id) {
  return subscriptions_.Unsubscribe(id);
}

bool SWindow::FireEvent(EventArgs& args) {
  if (eventsMuted_) {
    return false;
  }
  if (args.sender == nullptr) {
    args.sender = this;
    args.senderId = id_;
    args.senderName = name_;
  }
  // The chain is taken before any handler runs: a handler may end the window, which takes its
  // controls out of the tree (they live on until the event loop deletes them).
  std::vector<QPointer<SWindow>> chain;
  for (SWindow* window = this; window != nullptr; window = window->GetParentWindow()) {
    chain.emplace_back(window);
  }
  const QPointer<SHostWnd> host = GetHostWnd();
  for (const QPointer<SWindow>& window : chain) {
    if (args.handled) {
      return true;
    }
    if (window != nullptr) {
      window->subscriptions_.Fire(args);
    }
  }
  if (!args.handled && host != nullptr) {
    host->OnEvent(args);
  }
  return args.handled;
}

bool SWindow::FireCommand() {
  EventArgs args;
  args.eventId = kEventCommand;
  return FireEvent(args);
}

void SWindow::OnPaint(QPainter& painter) {
  DrawBackground(painter, StateIndex4(GetState()));
  DrawTextIn(painter, ClientRect(), displayText_);
}

void SWindow::FillBackgroundColor(QPainter& painter) const {
  if (backgroundColor_) {
    painter.fillRect(rect(), *backgroundColor_);
  }
}

void SWindow::DrawBackground(QPainter& painter, int skinState) const {
  FillBackgroundColor(painter);
  if (skin_ != nullptr) {
    skin_->Draw(painter, rect(), skinState);
  }
}

void SWindow::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  OnPaint(painter);
  if (ShowsFocusMark()) {
    painter.save();
    DrawFocusMark(painter);
    painter.restore();
  }
}

bool SWindow::ShowsFocusMark() const {
  return focusFromKeyboard_ && hasFocus();
}

SWindow* SWindow::FocusedControl() {
  QWidget* focus = QApplication::focusWidget();
  // A scaled window's controls have the focus inside the view that draws them.
  if (const auto* view = qobject_cast<const QGraphicsView*>(focus);
      view != nullptr && view->scene() != nullptr) {
    const auto* proxy = dynamic_cast<const QGraphicsProxyWidget*>(view->scene()->focusItem());
    focus =
        proxy != nullptr && proxy->widget() != nullptr ? proxy->widget()->focusWidget() : nullptr;
  }
  for (QWidget* widget = focus; widget != nullptr; widget = widget->parentWidget()) {
    if (auto* control = dynamic_cast<SWindow*>(widget)) {
      return control;
    }
  }
  return nullptr;
}

QColor SWindow::FocusColor() const {
  if (focusColor_) {
    return *focusColor_;
  }
  const SApplication* app = SApplication::Instance();
  const std::optional<QColor> named =
      app != nullptr ? app->GetColor(QStringLiteral("focus")) : std::nullopt;
  return named.value_or(palette().color(QPalette::Highlight));
}

void SWindow::DrawFocusMark(QPainter& painter) {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(FocusColor(), 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
}

void SWindow::Click() {
  if (clickable_ && isEnabled()) {
    OnClick();
  }
}

void SWindow::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (clickable_ && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) &&
      (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    event->accept();
    if (!event->isAutoRepeat()) {
      Click();
    }
    return;
  }
  QWidget::keyPressEvent(event);
}

void SWindow::focusInEvent(QFocusEvent* event) {
  switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
      focusFromKeyboard_ = true;
      break;
    case Qt::MouseFocusReason:
      focusFromKeyboard_ = false;
      break;
    default:
      // The window coming back, a popup closing, the program: as it was.
      break;
  }
  update();
  QWidget::focusInEvent(event);
}

void SWindow::focusOutEvent(QFocusEvent* event) {
  update();
  QWidget::focusOutEvent(event);
}

void SWindow::resizeEvent(QResizeEvent* /*event*/) {
  LayoutChildren();
}

bool SWindow::HoverChangesLook() const {
  return SkinOrTextShowsHover();
}

bool SWindow::SkinOrTextShowsHover() const {
  return HasHoverState(skin_.get()) || stateTextColors_[1].has_value();
}

bool SWindow::HasHoverState(const ISkinObj* skin) {
  return skin != nullptr && skin->StateCount() > 1;
}

void SWindow::enterEvent(QEnterEvent* /*event*/) {
  hover_ = true;
  if (HoverChangesLook()) {
    update();
  }
}

void SWindow::leaveEvent(QEvent* /*event*/) {
  hover_ = false;
  if (HoverChangesLook()) {
    update();
  }
}

void SWindow::mousePressEvent(QMouseEvent* event) {
  if (!clickable_ || event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  pressed_ = true;
  update();
}

void SWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (!clickable_ || event->button() != Qt::LeftButton || !pressed_) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  pressed_ = false;
  update();
  if (rect().contains(event->position().toPoint()) && isEnabled()) {
    OnClick();
  }
}

void SWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) {
    update();
  }
  QWidget::changeEvent(event);
}

}  // namespace keyloom::ui

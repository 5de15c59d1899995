#include "controls/CoordButtonImage.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QPointer>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <utility>

#include "controls/CoordButtonFile.h"
#include "controls/CoordButtonPainter.h"
#include "controls/KeyNavigation.h"
#include "controls/MouseKeyFlags.h"
#include "settings/AsciiText.h"
#include "ui/host/SApplication.h"
#include "ui/layout/AttributeText.h"
#include "ui/skin/ColorText.h"
#include "ui/skin/Image.h"

namespace keyloom::controls {

CoordButtonImage::CoordButtonImage() {
  setMouseTracking(true);
  // Tab reaches the picture; a click gives it no focus, so that no mark appears for the mouse.
  setFocusPolicy(Qt::TabFocus);
  tellFocusedKey_.setSingleShot(true);
  tellFocusedKey_.setInterval(0);
  QObject::connect(&tellFocusedKey_, &QTimer::timeout, this, [this] { TellFocusedKey(); });
}

CoordButtonImage::~CoordButtonImage() = default;

bool CoordButtonImage::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SWindow::IsClass(className);
}

ui::AttributeResult CoordButtonImage::SetAttribute(std::string_view name, const QString& value) {
  const auto is = [name](std::string_view known) {
    return settings::EqualIgnoringAsciiCase(name, known);
  };
  const ui::SApplication* app = ui::SApplication::Instance();
  if (is("bg") || is("chking") || is("chked")) {
    std::shared_ptr<const ui::Image> image = app != nullptr ? app->GetImage(value) : nullptr;
    if (image == nullptr) {
      return ui::AttributeResult::kFailed;
    }
    (is("bg") ? background_ : is("chking") ? hoverImage_ : checkedImage_) = std::move(image);
    update();
    return ui::AttributeResult::kHandled;
  }
  if (is("colorFlag") || is("colorFocus")) {
    const std::optional<QColor> color = ui::ParseColor(value);
    if (!color) {
      return ui::AttributeResult::kFailed;
    }
    (is("colorFlag") ? flagColor_ : focusColor_) = *color;
    update();
    return ui::AttributeResult::kHandled;
  }
  if (is("crdxml")) {
    coordFile_ = app != nullptr ? app->ResolveValue(value) : value;
    return ui::AttributeResult::kHandled;
  }
  if (is("type")) {
    const std::optional<int> type = ui::ParseInt(value);
    if (!type) {
      return ui::AttributeResult::kFailed;
    }
    buttons_.SetSelectionType(*type);
    return ui::AttributeResult::kHandled;
  }
  return SWindow::SetAttribute(name, value);
}

void CoordButtonImage::OnCreate() {
  if (!coordFile_.isEmpty()) {
    const int selectionType = buttons_.GetSelectionType();
    buttons_ = CoordButtonSet(LoadCoordButtons(
        CoordFilePath(ui::SApplication::GetAppDir(), coordFile_), kDefaultKeyColor));
    buttons_.SetSelectionType(selectionType);
  }
  SWindow::OnCreate();
}

QSize CoordButtonImage::DesiredSize() const {
  return background_ != nullptr ? background_->Size() : SWindow::DesiredSize();
}

void CoordButtonImage::SetButtonChecked(int id, bool checked) {
  buttons_.SetChecked(id, checked);
  update();
}

void CoordButtonImage::ToggleButtonChecked(int id) {
  buttons_.ToggleChecked(id);
  update();
}

void CoordButtonImage::SetButtonColor(int id, std::uint32_t color) {
  buttons_.SetColor(id, color);
  update();
}

QString CoordButtonImage::ButtonName(int id) const {
  for (const CoordButton& button : buttons_.Buttons()) {
    if (button.id == id) {
      return ui::SApplication::Tr(button.name);
    }
  }
  return {};
}

void CoordButtonImage::SetButtonTips(QHash<int, QString> tips, QSet<int> flagged) {
  tips_ = std::move(tips);
  flagged_ = std::move(flagged);
  update();
}

QString CoordButtonImage::KeyName(std::size_t index) const {
  return ui::SApplication::Tr(ButtonAt(index).name);
}

QString CoordButtonImage::KeyDescription(std::size_t index) const {
  const CoordButton& button = ButtonAt(index);
  const auto tip = tips_.constFind(button.id);
  if (tip != tips_.cend()) {
    return *tip;
  }
  return button.checked ? ui::SApplication::Tr(QStringLiteral("assigned")) : QString();
}

std::optional<std::size_t> CoordButtonImage::KeyAt(const QPointF& point) const {
  return buttons_.HitTest(ControlToPicture(point));
}

QString CoordButtonImage::ButtonTip(int id) const {
  const auto tip = tips_.constFind(id);
  return tip != tips_.cend() ? *tip : ButtonName(id);
}

QString CoordButtonImage::TipOf(const CoordButton& button) const {
  const auto tip = tips_.constFind(button.id);
  return tip != tips_.cend() ? *tip : ui::SApplication::Tr(button.name);
}

QSizeF CoordButtonImage::PictureSize() const {
  return background_ != nullptr ? QSizeF(background_->Size()) : QSizeF(size());
}

QRectF CoordButtonImage::PictureToControl(const QRect& pictureRect) const {
  return PictureMapping(QRectF(rect()), PictureSize()).ToTarget(pictureRect);
}

QPointF CoordButtonImage::ControlToPicture(const QPointF& point) const {
  return PictureMapping(QRectF(rect()), PictureSize()).ToPicture(point);
}

bool CoordButtonImage::HoverChangesLook() const {
  // The key under the pointer is marked as the pointer moves (mouseMoveEvent).
  return false;
}

void CoordButtonImage::OnPaint(QPainter& painter) {
  FillBackgroundColor(painter);
  if (!isEnabled()) {
    painter.setOpacity(kDisabledOpacity);
  }
  const QRectF target(rect());
  const PictureMapping mapping(target, PictureSize());
  PaintCoordButtons(painter, mapping, target, buttons_.Buttons(),
                    {background_.get(), hoverImage_.get(), checkedImage_.get()});
  if (flagged_.isEmpty()) {
    return;
  }
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(flagColor_);
  for (const CoordButton& button : buttons_.Buttons()) {
    if (flagged_.contains(button.id) && !button.rect.isEmpty()) {
      const QRectF key = mapping.ToTarget(button.rect);
      const qreal radius = std::max(2.0, std::min(key.width(), key.height()) / 12);
      painter.drawEllipse(key.topLeft() + QPointF(3 * radius, 3 * radius), radius, radius);
    }
  }
  painter.restore();
}

void CoordButtonImage::DrawFocusMark(QPainter& painter) {
  if (!focusedKey_ || *focusedKey_ >= buttons_.Buttons().size()) {
    return;
  }
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(focusColor_, 2));
  painter.setBrush(Qt::NoBrush);
  const QRectF key = PictureToControl(buttons_.Buttons()[*focusedKey_].rect);
  painter.drawRoundedRect(key.adjusted(-3, -3, 3, 3), 6, 6);
}

void CoordButtonImage::TellFocusedKey() {
  if (focusedKey_ && hasFocus() && QAccessible::isActive()) {
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(static_cast<int>(*focusedKey_));
    QAccessible::updateAccessibility(&event);
  }
}

bool CoordButtonImage::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) {
    return SWindow::event(event);
  }
  // The tooltip names the last key under the mouse and goes when the mouse leaves that key.
  const auto* help = static_cast<QHelpEvent*>(event);
  const std::optional<std::size_t> key = buttons_.LastHit(ControlToPicture(help->pos()));
  if (!key) {
    QToolTip::hideText();
    event->ignore();
    return true;
  }
  const CoordButton& button = buttons_.Buttons()[*key];
  QToolTip::showText(help->globalPos(), TipOf(button), this,
                     PictureToControl(button.rect).toAlignedRect());
  return true;
}

void CoordButtonImage::mouseMoveEvent(QMouseEvent* event) {
  const QPointF point = ControlToPicture(event->position());
  if (buttons_.MouseMove(point)) {
    update();
  }
  const std::optional<std::size_t> key = buttons_.LastHit(point);
  const QString tip = key ? TipOf(buttons_.Buttons()[*key]) : QString();
  if (tip != GetToolTipText()) {
    SetToolTipText(tip);
    // A tooltip already shown follows the mouse onto the next key.
    if (QToolTip::isVisible()) {
      if (tip.isEmpty()) {
        QToolTip::hideText();
      } else {
        QToolTip::showText(event->globalPosition().toPoint(), toolTip(), this,
                           PictureToControl(buttons_.Buttons()[*key].rect).toAlignedRect());
      }
    }
  }
  SWindow::mouseMoveEvent(event);
}

void CoordButtonImage::leaveEvent(QEvent* event) {
  if (buttons_.MouseLeave()) {
    update();
  }
  SetToolTipText(QString());
  SWindow::leaveEvent(event);
}

bool CoordButtonImage::Report(std::size_t index, int clickEvent, const QMouseEvent& event) {
  if (listener_ == nullptr) {
    return false;
  }
  const CoordButton& button = buttons_.Buttons()[index];
  const int id = button.id;
  const QString name = button.name;
  const QPoint client = event.position().toPoint() - ClientRect().topLeft();
  return listener_->OnCoordButtonClick(id, name, clickEvent,
                                       MouseKeyFlags(event.buttons(), event.modifiers()),
                                       client.x(), client.y());
}

void CoordButtonImage::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    SWindow::mousePressEvent(event);
    return;
  }
  event->accept();
  if (const std::optional<std::size_t> key =
          buttons_.HitTest(ControlToPicture(event->position()))) {
    PressKey(*key, *event);
  }
}

void CoordButtonImage::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    SWindow::mouseReleaseEvent(event);
    return;
  }
  event->accept();
  if (const std::optional<std::size_t> key =
          buttons_.HitTest(ControlToPicture(event->position()))) {
    ReleaseKey(*key, *event);
  }
}

bool CoordButtonImage::PressKey(std::size_t index, const QMouseEvent& event) {
  // The listener may run a modal dialog, during which the control can be ended.
  const QPointer<CoordButtonImage> alive(this);
  const bool handled = Report(index, ICoordButtonClickListener::kEventPress, event);
  if (alive == nullptr) {
    return false;
  }
  buttons_.ApplyPress(index, handled);
  update();
  return true;
}

void CoordButtonImage::ReleaseKey(std::size_t index, const QMouseEvent& event) {
  if (buttons_.IsPressed(index)) {
    const QPointer<CoordButtonImage> alive(this);
    Report(index, ICoordButtonClickListener::kEventRelease, event);
    if (alive == nullptr) {
      return;
    }
  }
  buttons_.ApplyRelease(index);
  update();
}

void CoordButtonImage::ClickKey(std::size_t index) {
  const QPointF centre = PictureToControl(buttons_.Buttons()[index].rect).center();
  const QPointF global = mapToGlobal(centre);
  const QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
  const QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
  if (PressKey(index, press)) {
    ReleaseKey(index, release);
  }
}

void CoordButtonImage::keyPressEvent(QKeyEvent* event) {
  std::optional<KeyDirection> direction;
  switch (event->key()) {
    case Qt::Key_Left:
      direction = KeyDirection::kLeft;
      break;
    case Qt::Key_Right:
      direction = KeyDirection::kRight;
      break;
    case Qt::Key_Up:
      direction = KeyDirection::kUp;
      break;
    case Qt::Key_Down:
      direction = KeyDirection::kDown;
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      event->accept();
      if (focusedKey_ && !event->isAutoRepeat()) {
        ClickKey(*focusedKey_);
      }
      return;
    default:
      SWindow::keyPressEvent(event);
      return;
  }
  event->accept();
  if (focusedKey_) {
    if (const std::optional<std::size_t> next =
            NeighbourKey(buttons_.Buttons(), *focusedKey_, *direction)) {
      focusedKey_ = next;
      update();
      TellFocusedKey();
    }
  }
}

void CoordButtonImage::focusInEvent(QFocusEvent* event) {
  if (!focusedKey_) {
    const std::vector<CoordButton>& keys = buttons_.Buttons();
    const auto first = std::find_if(keys.begin(), keys.end(),
                                    [](const CoordButton& key) { return !key.rect.isEmpty(); });
    if (first != keys.end()) {
      focusedKey_ = static_cast<std::size_t>(first - keys.begin());
    }
  }
  SWindow::focusInEvent(event);
  // After Qt has told of the picture itself taking the focus.
  tellFocusedKey_.start();
}

}  // namespace keyloom::controls

#include "ui/widgets/SSliderBar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "settings/AsciiText.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/SApplication.h"
#include "ui/layout/AttributeText.h"
#include "ui/skin/ISkinObj.h"
#include "ui/widgets/SliderGeometry.h"

namespace keyloom::ui {

namespace {

constexpr int kDefaultThumbWidth = 10;
constexpr int kDefaultRailHeight = 4;
constexpr int kPageSteps = 10;

}  // namespace

SSliderBar::SSliderBar() {
  setFocusPolicy(Qt::StrongFocus);
}

bool SSliderBar::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SWindow::IsClass(className);
}

AttributeResult SSliderBar::SetAttribute(std::string_view name, const QString& value) {
  const auto is = [name](std::string_view known) {
    return settings::EqualIgnoringAsciiCase(name, known);
  };
  if (is("min") || is("max") || is("value")) {
    const std::optional<int> number = ParseInt(value);
    if (!number) {
      return AttributeResult::kFailed;
    }
    if (is("min")) {
      SetRange(*number, std::max(*number, maximum_));
    } else if (is("max")) {
      SetRange(std::min(minimum_, *number), *number);
    } else {
      SetValue(*number);
    }
    return AttributeResult::kHandled;
  }
  if (is("thumbSkin") || is("posSkin") || is("bkgndSkin")) {
    std::optional<std::shared_ptr<const ISkinObj>> skin = SApplication::SkinAttribute(value);
    if (!skin) {
      return AttributeResult::kFailed;
    }
    (is("thumbSkin") ? thumbSkin_ : is("posSkin") ? posSkin_ : railSkin_) = std::move(*skin);
    update();
    return AttributeResult::kHandled;
  }
  return SWindow::SetAttribute(name, value);
}

void SSliderBar::SetValue(int value) {
  value_ = std::clamp(value, minimum_, maximum_);
  update();
}

void SSliderBar::SetRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = std::max(minimum, maximum);
  SetValue(value_);
}

QSize SSliderBar::ThumbSize() const {
  const QRect client = ClientRect();
  if (thumbSkin_ != nullptr && !thumbSkin_->NaturalSize().isEmpty()) {
    return thumbSkin_->NaturalSize();
  }
  return {kDefaultThumbWidth, client.height()};
}

QRect SSliderBar::ThumbRect() const {
  return SliderThumbRect(ClientRect(), ThumbSize(), minimum_, maximum_, value_);
}

void SSliderBar::MoveTo(long long value) {
  const int previous = value_;
  SetValue(static_cast<int>(std::clamp<long long>(value, minimum_, maximum_)));
  if (value_ != previous) {
    EventArgs args;
    args.eventId = kEventSliderPos;
    args.value = value_;
    FireEvent(args);
  }
}

bool SSliderBar::HoverChangesLook() const {
  return SWindow::HoverChangesLook() || HasHoverState(railSkin_.get()) ||
         HasHoverState(posSkin_.get()) || HasHoverState(thumbSkin_.get());
}

void SSliderBar::OnPaint(QPainter& painter) {
  FillBackgroundColor(painter);
  const QRect client = ClientRect();
  const QRect thumb = ThumbRect();
  const int railHeight = (railSkin_ != nullptr && railSkin_->NaturalSize().height() > 0)
                             ? railSkin_->NaturalSize().height()
                             : kDefaultRailHeight;
  const QRect rail = SliderRailRect(client, railHeight);
  const QRect filled(rail.left(), rail.top(), thumb.center().x() - rail.left(), rail.height());
  const int state = StateIndex4(GetState());
  if (railSkin_ != nullptr) {
    railSkin_->Draw(painter, rail, state);
  } else {
    painter.fillRect(rail, palette().color(QPalette::Mid));
  }
  if (posSkin_ != nullptr) {
    posSkin_->Draw(painter, filled, state);
  } else {
    painter.fillRect(filled, palette().color(QPalette::Highlight));
  }
  if (thumbSkin_ != nullptr) {
    thumbSkin_->Draw(painter, thumb, state);
  } else {
    painter.fillRect(thumb, palette().color(QPalette::Button));
  }
}

void SSliderBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !isEnabled()) {
    SWindow::mousePressEvent(event);
    return;
  }
  const int x = event->position().toPoint().x();
  const QRect thumb = ThumbRect();
  dragging_ = true;
  if (thumb.contains(event->position().toPoint())) {
    dragOffset_ = x - thumb.center().x();
    return;
  }
  dragOffset_ = 0;
  MoveTo(SliderValueAt(ClientRect(), ThumbSize(), minimum_, maximum_, x));
}

void SSliderBar::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) {
    SWindow::mouseMoveEvent(event);
    return;
  }
  MoveTo(SliderValueAt(ClientRect(), ThumbSize(), minimum_, maximum_,
                       event->position().toPoint().x() - dragOffset_));
}

void SSliderBar::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    dragging_ = false;
  }
  SWindow::mouseReleaseEvent(event);
}

void SSliderBar::keyPressEvent(QKeyEvent* event) {
  const long long page = std::max(1LL, (static_cast<long long>(maximum_) - minimum_) / kPageSteps);
  const long long value = value_;
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
      MoveTo(value - 1);
      break;
    case Qt::Key_Right:
    case Qt::Key_Up:
      MoveTo(value + 1);
      break;
    case Qt::Key_PageDown:
      MoveTo(value - page);
      break;
    case Qt::Key_PageUp:
      MoveTo(value + page);
      break;
    case Qt::Key_Home:
      MoveTo(minimum_);
      break;
    case Qt::Key_End:
      MoveTo(maximum_);
      break;
    default:
      SWindow::keyPressEvent(event);
      break;
  }
}

}  // namespace keyloom::ui

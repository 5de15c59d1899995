#include "ui/widgets/ToggleLook.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

#include "ui/skin/ISkinObj.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

QRect ToggleIconRect(const QRect& client, const QSize& box, Qt::Alignment align) {
  int x = client.left();
  if ((align & Qt::AlignHCenter) != 0) {
    x = client.left() + (client.width() - box.width()) / 2;
  } else if ((align & Qt::AlignRight) != 0) {
    x = client.left() + client.width() - box.width();
  }
  int y = client.top() + (client.height() - box.height()) / 2;
  if ((align & Qt::AlignTop) != 0) {
    y = client.top();
  } else if ((align & Qt::AlignBottom) != 0) {
    y = client.top() + client.height() - box.height();
  }
  return {QPoint(x, y), box};
}

QRect ToggleTextRect(const QRect& client, const QRect& icon, Qt::Alignment align) {
  if ((align & Qt::AlignHCenter) != 0) {
    return client;
  }
  if ((align & Qt::AlignRight) != 0) {
    return {client.left(), client.top(), icon.left() - kToggleTextGap - client.left(),
            client.height()};
  }
  const int left = icon.left() + icon.width() + kToggleTextGap;
  return {left, client.top(), client.left() + client.width() - left, client.height()};
}

namespace {

QSize BoxSize(const SWindow& control) {
  const std::shared_ptr<const ISkinObj>& skin = control.GetSkin();
  return (skin != nullptr && !skin->NaturalSize().isEmpty())
             ? skin->NaturalSize()
             : QSize(kDefaultToggleBox, kDefaultToggleBox);
}

}  // namespace

QSize ToggleDesiredSize(const SWindow& control) {
  const QSize box = BoxSize(control);
  const QFontMetrics metrics(control.font());
  const QString& text = control.GetDisplayText();
  const int textWidth = text.isEmpty() ? 0 : kToggleTextGap + metrics.horizontalAdvance(text);
  return QSize(box.width() + textWidth, std::max(box.height(), metrics.height()))
      .grownBy(control.GetMargins());
}

QRect PaintToggle(const SWindow& control, QPainter& painter, Qt::Alignment iconAlign, bool radio,
                  const ISkinObj* focusSkin) {
  const QRect client = control.ClientRect();
  const WindowState state = control.GetState();
  const std::shared_ptr<const ISkinObj>& skin = control.GetSkin();
  const QRect icon = ToggleIconRect(client, BoxSize(control), iconAlign);
  if (skin != nullptr) {
    skin->Draw(painter, icon, StateIndex8(state));
  } else {
    QStyleOptionButton option;
    option.initFrom(&control);
    option.rect = icon;
    option.state |= (state & kStateChecked) != 0 ? QStyle::State_On : QStyle::State_Off;
    if ((state & kStatePushed) != 0) {
      option.state |= QStyle::State_Sunken;
    }
    control.style()->drawPrimitive(
        radio ? QStyle::PE_IndicatorRadioButton : QStyle::PE_IndicatorCheckBox, &option, &painter,
        &control);
  }
  if (focusSkin != nullptr && control.ShowsFocusMark()) {
    focusSkin->Draw(painter, icon, 0);
  }
  control.DrawTextIn(painter, ToggleTextRect(client, icon, iconAlign), control.GetDisplayText());
  return icon;
}

}  // namespace keyloom::ui

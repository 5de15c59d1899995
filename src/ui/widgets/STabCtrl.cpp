#include "ui/widgets/STabCtrl.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <algorithm>

#include "settings/AsciiText.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/SApplication.h"
#include "ui/layout/AttributeText.h"
#include "ui/skin/ISkinObj.h"
#include "ui/widgets/STabPage.h"

namespace keyloom::ui {

namespace {

// Room around a title when the tab's size comes from the titles.
constexpr int kTitlePadding = 12;

int ItemStateIndex(WindowState state) {
  if ((state & (kStatePushed | kStateChecked)) != 0) {
    return 2;
  }
  return (state & kStateHover) != 0 ? 1 : 0;
}

std::optional<TabAlign> ParseTabAlign(const QString& value) {
  if (value.compare(QLatin1String("top"), Qt::CaseInsensitive) == 0) {
    return TabAlign::kTop;
  }
  if (value.compare(QLatin1String("left"), Qt::CaseInsensitive) == 0) {
    return TabAlign::kLeft;
  }
  if (value.compare(QLatin1String("bottom"), Qt::CaseInsensitive) == 0) {
    return TabAlign::kBottom;
  }
  if (value.compare(QLatin1String("right"), Qt::CaseInsensitive) == 0) {
    return TabAlign::kRight;
  }
  return std::nullopt;
}

}  // namespace

STabCtrl::STabCtrl() {
  setMouseTracking(true);
  SetTextAlignment(Qt::AlignCenter);
  setFocusPolicy(Qt::TabFocus);
}

bool STabCtrl::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SWindow::IsClass(className);
}

AttributeResult STabCtrl::SetAttribute(std::string_view name, const QString& value) {
  const auto is = [name](std::string_view known) {
    return settings::EqualIgnoringAsciiCase(name, known);
  };
  if (is("tabAlign")) {
    const std::optional<TabAlign> align = ParseTabAlign(value);
    if (!align) {
      return AttributeResult::kFailed;
    }
    layout_.align = *align;
    LayoutChildren();
    return AttributeResult::kHandled;
  }
  if (is("tabSize")) {
    const std::optional<std::vector<int>> size = ParseIntList(value);
    if (!size || size->size() != 2 || (*size)[0] < 0 || (*size)[1] < 0) {
      return AttributeResult::kFailed;
    }
    layout_.tabWidth = (*size)[0];
    layout_.tabHeight = (*size)[1];
    LayoutChildren();
    return AttributeResult::kHandled;
  }
  if (is("tabSkin") || is("iconSkin") || is("tabInterSkin") || is("frameSkin")) {
    std::optional<std::shared_ptr<const ISkinObj>> skin = SApplication::SkinAttribute(value);
    if (!skin) {
      return AttributeResult::kFailed;
    }
    (is("tabSkin")        ? tabSkin_
     : is("iconSkin")     ? iconSkin_
     : is("tabInterSkin") ? interSkin_
                          : frameSkin_) = std::move(*skin);
    update();
    return AttributeResult::kHandled;
  }
  if (is("focusRect")) {
    const std::optional<bool> flag = ParseBool(value);
    if (!flag) {
      return AttributeResult::kFailed;
    }
    focusRect_ = *flag;
    update();
    return AttributeResult::kHandled;
  }
  const bool isNumber = is("curSel") || is("tabWidth") || is("tabHeight") || is("tabPos") ||
                        is("tabInterSize") || is("icon-x") || is("icon-y") || is("text-x") ||
                        is("text-y");
  if (!isNumber) {
    return SWindow::SetAttribute(name, value);
  }
  const std::optional<int> number = ParseInt(value);
  if (!number) {
    return AttributeResult::kFailed;
  }
  if (is("curSel")) {
    curSel_ = *number;
  } else if (is("tabWidth")) {
    layout_.tabWidth = std::max(0, *number);
  } else if (is("tabHeight")) {
    layout_.tabHeight = std::max(0, *number);
  } else if (is("tabPos")) {
    layout_.tabPos = *number;
  } else if (is("tabInterSize")) {
    layout_.interSize = std::max(0, *number);
  } else if (is("icon-x")) {
    iconOffset_.setX(*number);
  } else if (is("icon-y")) {
    iconOffset_.setY(*number);
  } else if (is("text-x")) {
    textX_ = *number;
  } else {
    textY_ = *number;
  }
  LayoutChildren();
  update();
  return AttributeResult::kHandled;
}

void STabCtrl::CreateChildren(const pugi::xml_node& element) {
  SWindow::CreateChildren(element);
  for (STabPage* page : Pages()) {
    page->installEventFilter(this);
  }
  const int requested = curSel_;
  curSel_ = -1;
  if (!SetCurSel(requested) && GetItemCount() > 0) {
    SetCurSel(0);
  }
}

std::vector<STabPage*> STabCtrl::Pages() const {
  std::vector<STabPage*> pages;
  for (SWindow* child : GetChildWindows()) {
    if (auto* page = dynamic_cast<STabPage*>(child)) {
      pages.push_back(page);
    }
  }
  return pages;
}

int STabCtrl::GetItemCount() const {
  return static_cast<int>(Pages().size());
}

STabPage* STabCtrl::GetItem(int index) const {
  const std::vector<STabPage*> pages = Pages();
  return (index >= 0 && index < static_cast<int>(pages.size()))
             ? pages[static_cast<std::size_t>(index)]
             : nullptr;
}

bool STabCtrl::SetCurSel(int index, bool notify) {
  const std::vector<STabPage*> pages = Pages();
  if (index < 0 || index >= static_cast<int>(pages.size())) {
    return false;
  }
  const int previous = curSel_;
  curSel_ = index;
  for (std::size_t page = 0; page < pages.size(); ++page) {
    pages[page]->setVisible(static_cast<int>(page) == index);
  }
  update();
  // A screen reader hears of the tab now shown, as of the focus moving onto it.
  if (hasFocus() && previous != index && QAccessible::isActive()) {
    QAccessibleEvent event(pages[static_cast<std::size_t>(index)], QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
  }
  if (notify && previous != index) {
    EventArgs args;
    args.eventId = kEventTabSelectionChanged;
    args.index = index;
    args.previousIndex = previous;
    FireEvent(args);
  }
  return true;
}

TabLayout STabCtrl::GetTabLayout() const {
  TabLayout layout = layout_;
  const QSize natural = tabSkin_ != nullptr ? tabSkin_->NaturalSize() : QSize();
  const QFontMetrics metrics(font());
  if (layout.tabWidth == 0) {
    int widest = natural.width();
    for (const STabPage* page : Pages()) {
      widest =
          std::max(widest, metrics.horizontalAdvance(page->GetDisplayTitle()) + 2 * kTitlePadding);
    }
    layout.tabWidth = widest;
  }
  if (layout.tabHeight == 0) {
    layout.tabHeight = std::max(natural.height(), metrics.height() + kTitlePadding);
  }
  return layout;
}

QRect STabCtrl::HeaderRect() const {
  return GetTabLayout().HeaderRect(ClientRect());
}

QRect STabCtrl::ItemRect(int index) const {
  return GetTabLayout().ItemRect(ClientRect(), index);
}

QRect STabCtrl::PageRect() const {
  return GetTabLayout().PageRect(ClientRect());
}

void STabCtrl::LayoutChildren() {
  SWindow::LayoutChildren();
  const QRect page = PageRect();
  for (STabPage* tab : Pages()) {
    tab->setGeometry(page);
  }
}

void STabCtrl::OnLanguageChanged() {
  SWindow::OnLanguageChanged();
  LayoutChildren();
}

void STabCtrl::OnPaint(QPainter& painter) {
  DrawBackground(painter, 0);
  const TabLayout layout = GetTabLayout();
  const QRect client = ClientRect();
  const QRect header = layout.HeaderRect(client);
  painter.save();
  painter.setClipRect(header);
  DrawHeaderBackground(painter, header);
  const int count = GetItemCount();
  for (int index = 0; index < count; ++index) {
    WindowState state = kStateNormal;
    if (index == curSel_) {
      state |= kStateChecked;
    } else if (index == hoverItem_) {
      state |= kStateHover;
    }
    QRect item = layout.ItemRect(client, index);
    if (interSkin_ != nullptr && index > 0 && index != curSel_ && index != curSel_ + 1) {
      const QRect previous = layout.ItemRect(client, index - 1);
      const QRect gap =
          layout.IsVertical()
              ? QRect(item.left(), previous.bottom() + 1, item.width(), layout.interSize)
              : QRect(previous.right() + 1, item.top(), layout.interSize, item.height());
      interSkin_->Draw(painter, gap, 0);
    }
    if (index == curSel_ && interSkin_ != nullptr) {
      item = layout.IsVertical() ? item.adjusted(0, -layout.interSize, 0, layout.interSize)
                                 : item.adjusted(-layout.interSize, 0, layout.interSize, 0);
    }
    DrawItem(painter, item, index, state);
  }
  painter.restore();
  if (frameSkin_ != nullptr) {
    frameSkin_->Draw(painter, layout.PageRect(client), 0);
  }
}

void STabCtrl::DrawFocusMark(QPainter& painter) {
  if (!focusRect_ || curSel_ < 0 || curSel_ >= GetItemCount()) {
    return;
  }
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(FocusColor(), 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(QRectF(ItemRect(curSel_).adjusted(2, 2, -2, -2)), 4, 4);
}

void STabCtrl::keyPressEvent(QKeyEvent* event) {
  const int count = GetItemCount();
  const int key = event->key();
  const bool control = (event->modifiers() & Qt::ControlModifier) != 0;
  int next = -1;
  if (count > 0 && control && (key == Qt::Key_Tab || key == Qt::Key_Backtab)) {
    // Ctrl+Tab and Ctrl+Shift+Tab go round, from anywhere on the pages too.
    next = (curSel_ + (key == Qt::Key_Tab ? 1 : count - 1)) % count;
  } else if (hasFocus() && !control && (key == Qt::Key_Left || key == Qt::Key_Up)) {
    next = std::max(0, curSel_ - 1);
  } else if (hasFocus() && !control && (key == Qt::Key_Right || key == Qt::Key_Down)) {
    next = std::min(count - 1, curSel_ + 1);
  } else if (hasFocus() && key == Qt::Key_Home && count > 0) {
    next = 0;
  } else if (hasFocus() && key == Qt::Key_End) {
    next = count - 1;
  }
  if (next < 0) {
    SWindow::keyPressEvent(event);
    return;
  }
  event->accept();
  SetCurSel(next, true);
}

void STabCtrl::DrawHeaderBackground(QPainter& /*painter*/, const QRect& /*header*/) {}

void STabCtrl::DrawItem(QPainter& painter, const QRect& rect, int index, WindowState state) {
  if (rect.isEmpty()) {
    return;
  }
  const int stateIndex = ItemStateIndex(state);
  if (tabSkin_ != nullptr) {
    tabSkin_->Draw(painter, rect, stateIndex);
  }
  const QSize iconSize = iconSkin_ != nullptr ? iconSkin_->NaturalSize() : QSize();
  DrawItemIcon(painter, QRect(rect.topLeft() + iconOffset_, iconSize), index, stateIndex);
  const STabPage* page = GetItem(index);
  if (page == nullptr) {
    return;
  }
  const QString& title = page->GetDisplayTitle();
  painter.save();
  painter.setFont(font());
  painter.setPen(TextColor(stateIndex));
  const Qt::Alignment align = TextAlignment();
  if (textX_ && textY_) {
    painter.drawText(
        QRect(rect.left() + *textX_, rect.top() + *textY_, rect.width(), rect.height()),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, title);
  } else {
    QRect textRect = rect;
    Qt::Alignment flags = align;
    if (textY_) {
      textRect.setTop(rect.top() + *textY_);
      flags = (align & Qt::AlignHorizontal_Mask) | Qt::AlignTop;
    } else if (textX_) {
      textRect.setLeft(rect.left() + *textX_);
      flags = (align & Qt::AlignVertical_Mask) | Qt::AlignLeft;
    }
    const QString shown = QFontMetrics(font()).elidedText(title, Qt::ElideRight, textRect.width());
    painter.drawText(textRect, static_cast<int>(flags) | Qt::TextSingleLine, shown);
  }
  painter.restore();
}

void STabCtrl::DrawItemIcon(QPainter& painter, const QRect& rect, int index, int /*stateIndex*/) {
  const STabPage* page = GetItem(index);
  if (iconSkin_ == nullptr || page == nullptr) {
    return;
  }
  iconSkin_->Draw(painter, rect, page->GetIconIndex() == -1 ? index : page->GetIconIndex());
}

void STabCtrl::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    const int item =
        GetTabLayout().ItemAt(ClientRect(), GetItemCount(), event->position().toPoint());
    if (item >= 0) {
      SetCurSel(item, true);
      return;
    }
  }
  SWindow::mousePressEvent(event);
}

void STabCtrl::mouseMoveEvent(QMouseEvent* event) {
  SetHoverItem(GetTabLayout().ItemAt(ClientRect(), GetItemCount(), event->position().toPoint()));
  SWindow::mouseMoveEvent(event);
}

void STabCtrl::leaveEvent(QEvent* event) {
  SetHoverItem(-1);
  SWindow::leaveEvent(event);
}

bool STabCtrl::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Enter) {
    SetHoverItem(-1);
  }
  return SWindow::eventFilter(watched, event);
}

void STabCtrl::SetHoverItem(int index) {
  if (index == hoverItem_) {
    return;
  }
  const int previous = hoverItem_;
  hoverItem_ = index;
  update();
  if (previous >= 0) {
    FireItemEvent(kEventTabItemLeave, previous);
  }
  if (index >= 0) {
    FireItemEvent(kEventTabItemHover, index);
  }
}

void STabCtrl::FireItemEvent(int eventId, int index) {
  EventArgs args;
  args.eventId = eventId;
  args.index = index;
  FireEvent(args);
}

}  // namespace keyloom::ui

#include "ui/widgets/SComboBox.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <cstddef>
#include <utility>

#include <pugixml.hpp>

#include "settings/AsciiText.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/SApplication.h"
#include "ui/host/SHostWnd.h"
#include "ui/layout/AttributeText.h"
#include "ui/layout/XmlAttribute.h"
#include "ui/skin/ColorText.h"
#include "ui/skin/ISkinObj.h"

namespace keyloom::ui {

namespace {

// The field of the drop-down list's style that the attribute `name` sets; null for other
// attributes.
QString* DropDownColor(PopupMenu::Style& style, std::string_view name) {
  if (settings::EqualIgnoringAsciiCase(name, "colorDropBkgnd")) {
    return &style.background;
  }
  if (settings::EqualIgnoringAsciiCase(name, "colorDropText")) {
    return &style.text;
  }
  if (settings::EqualIgnoringAsciiCase(name, "colorDropSelBkgnd")) {
    return &style.selectedBackground;
  }
  if (settings::EqualIgnoringAsciiCase(name, "colorDropSelText")) {
    return &style.selectedText;
  }
  if (settings::EqualIgnoringAsciiCase(name, "colorDropBorder")) {
    return &style.border;
  }
  return nullptr;
}

}  // namespace

SComboBox::SComboBox() {
  SetClickable(true);
  setFocusPolicy(Qt::StrongFocus);
}

bool SComboBox::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SWindow::IsClass(className);
}

AttributeResult SComboBox::SetAttribute(std::string_view name, const QString& value) {
  if (settings::EqualIgnoringAsciiCase(name, "curSel") ||
      settings::EqualIgnoringAsciiCase(name, "itemHeight")) {
    const std::optional<int> number = ParseInt(value);
    if (!number) {
      return AttributeResult::kFailed;
    }
    if (settings::EqualIgnoringAsciiCase(name, "itemHeight")) {
      dropDownStyle_.itemHeight = std::max(0, *number);
    } else {
      curSel_ = *number;
    }
    update();
    return AttributeResult::kHandled;
  }
  if (QString* color = DropDownColor(dropDownStyle_, name)) {
    const std::optional<QColor> parsed = ParseColor(value);
    if (!parsed) {
      return AttributeResult::kFailed;
    }
    *color = parsed->name(QColor::HexArgb);
    return AttributeResult::kHandled;
  }
  if (settings::EqualIgnoringAsciiCase(name, "btnSkin")) {
    std::optional<std::shared_ptr<const ISkinObj>> skin = SApplication::SkinAttribute(value);
    if (!skin) {
      return AttributeResult::kFailed;
    }
    buttonSkin_ = std::move(*skin);
    update();
    return AttributeResult::kHandled;
  }
  return SWindow::SetAttribute(name, value);
}

void SComboBox::CreateChildren(const pugi::xml_node& element) {
  const SApplication* app = SApplication::Instance();
  const int requested = std::exchange(curSel_, -1);
  for (const pugi::xml_node item : element.child("items").children("item")) {
    QString text = FindAttribute(item, "text").value_or(QString::fromUtf8(item.child_value()));
    if (app != nullptr) {
      text = app->ResolveValue(text.trimmed());
    }
    const std::optional<int> itemData = ParseInt(FindAttribute(item, "data").value_or(QString()));
    AddString(text, static_cast<std::uint32_t>(itemData.value_or(0)));
  }
  SetCurSel(requested);
}

void SComboBox::OnLanguageChanged() {
  SWindow::OnLanguageChanged();
  update();
}

bool SComboBox::SetCurSel(int index, bool notify) {
  if (index < -1 || index >= GetCount()) {
    return false;
  }
  const int previous = curSel_;
  curSel_ = index;
  update();
  if (notify && previous != index) {
    EventArgs args;
    args.eventId = kEventComboSelectionChanged;
    args.index = index;
    args.previousIndex = previous;
    FireEvent(args);
  }
  return true;
}

int SComboBox::AddString(const QString& text, std::uint32_t itemData) {
  return InsertItem(GetCount(), text, itemData);
}

int SComboBox::InsertItem(int index, const QString& text, std::uint32_t itemData) {
  if (index < 0 || index > GetCount()) {
    index = GetCount();
  }
  items_.insert(items_.begin() + index, Item{text, itemData, {}});
  if (curSel_ >= index) {
    ++curSel_;
  }
  update();
  return index;
}

bool SComboBox::DeleteItem(int index) {
  if (index < 0 || index >= GetCount()) {
    return false;
  }
  items_.erase(items_.begin() + index);
  if (curSel_ == index) {
    curSel_ = -1;
  } else if (curSel_ > index) {
    --curSel_;
  }
  update();
  return true;
}

void SComboBox::ResetContent() {
  items_.clear();
  curSel_ = -1;
  update();
}

QString SComboBox::GetItemText(int index) const {
  return (index >= 0 && index < GetCount()) ? items_[static_cast<std::size_t>(index)].text
                                            : QString();
}

QString SComboBox::GetItemDisplayText(int index) const {
  return SApplication::Tr(GetItemText(index));
}

std::uint32_t SComboBox::GetItemData(int index) const {
  return (index >= 0 && index < GetCount()) ? items_[static_cast<std::size_t>(index)].data : 0;
}

bool SComboBox::SetItemDetail(int index, const QString& detail) {
  if (index < 0 || index >= GetCount()) {
    return false;
  }
  items_[static_cast<std::size_t>(index)].detail = detail;
  return true;
}

QString SComboBox::GetItemDetail(int index) const {
  return (index >= 0 && index < GetCount()) ? items_[static_cast<std::size_t>(index)].detail
                                            : QString();
}

QString SComboBox::DropDownStyleSheet(qreal scale) const {
  PopupMenu::Style style = dropDownStyle_;
  if (style.itemHeight) {
    style.itemHeight = qRound(*style.itemHeight * scale);
  }
  return PopupMenu::StyleSheet(style);
}

void SComboBox::ShowDropDown() {
  // In a scaled window the list opens over the window, unclipped, at the window's scale.
  SHostWnd* host = GetHostWnd();
  const qreal scale = host != nullptr ? host->ContentScale() : 1.0;
  QMenu menu(host != nullptr ? static_cast<QWidget*>(host) : this);
  QFont shownFont = font();
  if (shownFont.pixelSize() > 0) {
    shownFont.setPixelSize(std::max(1, qRound(shownFont.pixelSize() * scale)));
  }
  menu.setFont(shownFont);
  menu.setMinimumWidth(qRound(width() * scale));
  menu.setStyleSheet(DropDownStyleSheet(scale));
  for (int index = 0; index < GetCount(); ++index) {
    // A menu shows what follows a tab at the right of the row.
    const QString detail = GetItemDetail(index);
    QAction* action =
        menu.addAction(detail.isEmpty() ? GetItemDisplayText(index)
                                        : GetItemDisplayText(index) + QLatin1Char('\t') + detail);
    action->setData(index);
    action->setCheckable(true);
    action->setChecked(index == curSel_);
  }
  const QAction* chosen = menu.exec(mapToGlobal(QPoint(0, height())));
  if (chosen != nullptr) {
    SetCurSel(chosen->data().toInt(), true);
  }
}

QRect SComboBox::ButtonRect() const {
  const QRect client = ClientRect();
  const QSize natural = buttonSkin_ != nullptr ? buttonSkin_->NaturalSize() : QSize();
  const int side = natural.isEmpty() ? client.height() : natural.width();
  const int height = natural.isEmpty() ? client.height() : natural.height();
  return {client.left() + client.width() - side, client.top() + (client.height() - height) / 2,
          side, height};
}

bool SComboBox::HoverChangesLook() const {
  // Without a skin of its own the arrow is the style's, which may show the hover.
  return SWindow::HoverChangesLook() || buttonSkin_ == nullptr || HasHoverState(buttonSkin_.get());
}

void SComboBox::OnPaint(QPainter& painter) {
  const int state = StateIndex4(GetState());
  DrawBackground(painter, state);
  const QRect button = ButtonRect();
  if (buttonSkin_ != nullptr) {
    buttonSkin_->Draw(painter, button, state);
  } else {
    QStyleOption option;
    option.initFrom(this);
    option.rect = button.adjusted(button.width() / 4, button.height() / 4, -button.width() / 4,
                                  -button.height() / 4);
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &option, &painter, this);
  }
  QRect text = ClientRect();
  text.setRight(button.left() - 1);
  DrawTextIn(painter, text, GetItemDisplayText(curSel_));
}

void SComboBox::OnClick() {
  ShowDropDown();
}

void SComboBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up && curSel_ > 0) {
    SetCurSel(curSel_ - 1, true);
    return;
  }
  // F4 and Alt+Down open the list, as Space and Enter do.
  if (event->key() == Qt::Key_F4 ||
      (event->key() == Qt::Key_Down && event->modifiers() == Qt::AltModifier)) {
    Click();
    return;
  }
  if (event->key() == Qt::Key_Down && curSel_ + 1 < GetCount()) {
    SetCurSel(curSel_ + 1, true);
    return;
  }
  SWindow::keyPressEvent(event);
}

}  // namespace keyloom::ui

#include "ui/widgets/SListView.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <utility>

#include <pugixml.hpp>

#include "settings/AsciiText.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/SApplication.h"
#include "ui/layout/AttributeText.h"
#include "ui/layout/LayoutBuilder.h"
#include "ui/layout/XmlAttribute.h"
#include "ui/skin/ColorText.h"
#include "ui/widgets/IListAdapter.h"

namespace keyloom::ui {

namespace {

constexpr auto kScrollBarStyle =
    "QScrollBar:vertical { width: 8px; background: transparent; margin: 0; }"
    "QScrollBar::handle:vertical { background: rgba(128, 128, 128, 140); border-radius: 4px;"
    " min-height: 24px; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }";

}  // namespace

SListView::SListView()
    : template_(std::make_unique<pugi::xml_document>()),
      scroll_(new QScrollArea(this)),
      content_(new QWidget) {
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // On the scroll bar alone: a style sheet on the scroll area would give every edit box of
  // the rows an opaque background.
  scroll_->verticalScrollBar()->setStyleSheet(QString::fromLatin1(kScrollBarStyle));
  scroll_->setWidget(content_);
  scroll_->viewport()->setAutoFillBackground(false);
  content_->setAutoFillBackground(false);
  scroll_->viewport()->installEventFilter(this);
  // The list takes the focus itself; its scroll area and the controls of its rows are not
  // reached with Tab (see keyPressEvent).
  scroll_->setFocusPolicy(Qt::NoFocus);
  setFocusPolicy(Qt::StrongFocus);
}

SListView::~SListView() {
  if (adapter_ != nullptr) {
    adapter_->UnregisterObserver(this);
  }
}

bool SListView::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SWindow::IsClass(className);
}

AttributeResult SListView::SetAttribute(std::string_view name, const QString& value) {
  const auto is = [name](std::string_view known) {
    return settings::EqualIgnoringAsciiCase(name, known);
  };
  if (is("itemHeight")) {
    const std::optional<int> height = ParseInt(value);
    if (!height || *height <= 0) {
      return AttributeResult::kFailed;
    }
    itemHeight_ = height;
    PlaceRows();
    return AttributeResult::kHandled;
  }
  if (is("itemSkin")) {
    std::optional<std::shared_ptr<const ISkinObj>> skin = SApplication::SkinAttribute(value);
    if (!skin) {
      return AttributeResult::kFailed;
    }
    look_.skin = std::move(*skin);
  } else if (is("colorItemHoverBkgnd") || is("colorItemSelBkgnd")) {
    const std::optional<QColor> color = ParseColor(value);
    if (!color) {
      return AttributeResult::kFailed;
    }
    (is("colorItemHoverBkgnd") ? look_.hoverColor : look_.selectedColor) = color;
  } else {
    return SWindow::SetAttribute(name, value);
  }
  for (SItemPanel* row : rows_) {
    row->SetLook(look_);
  }
  return AttributeResult::kHandled;
}

void SListView::CreateChildren(const pugi::xml_node& element) {
  const pugi::xml_node itemTemplate = element.child("template");
  template_->reset();
  template_->append_copy(itemTemplate);
  const std::optional<int> height =
      ParseInt(FindAttribute(itemTemplate, "itemHeight").value_or(QString()));
  if (height && *height > 0) {
    templateItemHeight_ = height;
  }
}

int SListView::GetItemHeight() const {
  return templateItemHeight_.value_or(itemHeight_.value_or(kDefaultItemHeight));
}

void SListView::SetAdapter(std::shared_ptr<IListAdapter> adapter) {
  if (adapter_ != nullptr) {
    adapter_->UnregisterObserver(this);
  }
  // The row views go with the adapter that filled them: their controls may hold subscriptions
  // of the old adapter.
  const int previousCount = GetRowCount();
  for (SItemPanel* row : rows_) {
    row->Destroy();
  }
  rows_.clear();
  selection_ = -1;
  if (previousCount > 0) {
    OnRowsChanged(previousCount);
  }
  adapter_ = std::move(adapter);
  if (adapter_ != nullptr) {
    adapter_->RegisterObserver(this);
  }
  Refresh();
}

void SListView::OnDataSetChanged() {
  Refresh();
}

void SListView::Refresh() {
  const int previousCount = GetRowCount();
  const int count = adapter_ != nullptr ? std::max(0, adapter_->GetCount()) : 0;
  while (GetRowCount() > count) {
    rows_.back()->Destroy();
    rows_.pop_back();
  }
  const pugi::xml_node itemTemplate = template_->first_child();
  while (GetRowCount() < count) {
    auto* row = new SItemPanel;
    row->setParent(content_);
    row->SetItemIndex(GetRowCount());
    row->SetLook(look_);
    LayoutBuilder::ApplyAttributes(*row, itemTemplate);
    row->show();
    row->OnCreate();
    rows_.push_back(row);
  }
  if (selection_ >= count) {
    selection_ = -1;
  }
  PlaceRows();
  for (int index = 0; index < count; ++index) {
    SItemPanel& row = *rows_[static_cast<std::size_t>(index)];
    row.SetCheck(index == selection_);
    adapter_->GetView(index, row, itemTemplate);
    WatchRow(row);
    OnRowFilled(row);
    row.LayoutTree();
  }
  OnRowsChanged(previousCount);
}

void SListView::WatchRow(SItemPanel& row) {
  row.installEventFilter(this);
  for (QWidget* widget : row.findChildren<QWidget*>()) {
    widget->installEventFilter(this);
    if ((widget->focusPolicy() & Qt::TabFocus) != 0) {
      widget->setFocusPolicy(Qt::ClickFocus);
    }
  }
}

void SListView::keyPressEvent(QKeyEvent* event) {
  const int count = GetRowCount();
  const int key = event->key();
  int row = -1;
  if (key == Qt::Key_Up) {
    row = std::max(0, selection_ - 1);
  } else if (key == Qt::Key_Down) {
    row = std::min(count - 1, selection_ + 1);
  } else if (key == Qt::Key_Home) {
    row = 0;
  } else if (key == Qt::Key_End) {
    row = count - 1;
  } else if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) &&
             selection_ >= 0) {
    event->accept();
    if (!event->isAutoRepeat()) {
      ClickRow(selection_);
    }
    return;
  } else if (key == Qt::Key_F2 && selection_ >= 0 && selection_ < count) {
    // The first control of the row that takes the focus, as a rename in place.
    for (QWidget* widget : rows_[static_cast<std::size_t>(selection_)]->findChildren<QWidget*>()) {
      if ((widget->focusPolicy() & Qt::ClickFocus) != 0 && widget->isEnabled()) {
        widget->setFocus(Qt::ShortcutFocusReason);
        event->accept();
        return;
      }
    }
  }
  if (row < 0 || count == 0) {
    SWindow::keyPressEvent(event);
    return;
  }
  event->accept();
  SetSel(row, true);
  scroll_->ensureWidgetVisible(rows_[static_cast<std::size_t>(row)], 0, 0);
}

void SListView::PlaceRows() {
  const int width = scroll_->viewport()->width();
  const int height = GetItemHeight();
  content_->resize(width, height * GetRowCount());
  for (int index = 0; index < GetRowCount(); ++index) {
    rows_[static_cast<std::size_t>(index)]->setGeometry(0, index * height, width, height);
  }
}

void SListView::LayoutChildren() {
  SWindow::LayoutChildren();
  scroll_->setGeometry(RowsArea());
  PlaceRows();
}

QRect SListView::RowsArea() const {
  return ClientRect();
}

void SListView::OnRowFilled(SItemPanel& /*row*/) {}

void SListView::OnRowsChanged(int /*previousCount*/) {}

void SListView::OnSelChanged(int /*previous*/) {}

SItemPanel* SListView::GetRowView(int row) const {
  return (row >= 0 && row < GetRowCount()) ? rows_[static_cast<std::size_t>(row)] : nullptr;
}

bool SListView::SetSel(int row, bool notify) {
  if (row < -1 || row >= GetRowCount()) {
    return false;
  }
  const int previous = selection_;
  selection_ = row;
  for (int index = 0; index < GetRowCount(); ++index) {
    rows_[static_cast<std::size_t>(index)]->SetCheck(index == row);
  }
  if (previous != row) {
    OnSelChanged(previous);
  }
  if (notify && previous != row) {
    EventArgs args;
    args.eventId = kEventListSelectionChanged;
    args.index = row;
    args.previousIndex = previous;
    FireEvent(args);
  }
  return true;
}

void SListView::OnLanguageChanged() {
  SWindow::OnLanguageChanged();
  for (SItemPanel* row : rows_) {
    row->BroadcastLanguageChanged();
  }
}

void SListView::OnDestroy() {
  for (SItemPanel* row : rows_) {
    row->RunDestroyHooks();
  }
  if (adapter_ != nullptr) {
    adapter_->UnregisterObserver(this);
  }
  SWindow::OnDestroy();
}

int SListView::RowOf(const QWidget* widget) const {
  for (int index = 0; index < GetRowCount(); ++index) {
    const SItemPanel* row = rows_[static_cast<std::size_t>(index)];
    if (widget == row || row->isAncestorOf(widget)) {
      return index;
    }
  }
  return -1;
}

void SListView::ClickRow(int row) {
  SetSel(row, true);
  if (row >= GetRowCount()) {
    return;
  }
  EventArgs args;
  args.eventId = kEventListItemClick;
  args.index = row;
  rows_[static_cast<std::size_t>(row)]->FireEvent(args);
}

bool SListView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == scroll_->viewport() && event->type() == QEvent::Resize) {
    PlaceRows();
  } else if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType()) {
    // A press reaches every widget from the one under the mouse up to the first that takes it;
    // only the one under the mouse counts.
    auto* widget = static_cast<QWidget*>(watched);
    const int row = RowOf(widget);
    if (row >= 0) {
      SItemPanel* panel = rows_[static_cast<std::size_t>(row)];
      const QPoint position =
          widget->mapTo(panel, static_cast<QMouseEvent*>(event)->position().toPoint());
      QWidget* pressed = panel->childAt(position);
      if ((pressed != nullptr ? pressed : panel) == widget &&
          static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        ClickRow(row);
      }
    }
  }
  return SWindow::eventFilter(watched, event);
}

}  // namespace keyloom::ui

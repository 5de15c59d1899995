#include "ui/widgets/SMcListView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cstddef>
#include <utility>

#include <pugixml.hpp>

#include "settings/AsciiText.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/SApplication.h"
#include "ui/layout/AttributeText.h"
#include "ui/layout/XmlAttribute.h"
#include "ui/skin/ISkinObj.h"
#include "ui/widgets/HeaderLayout.h"
#include "ui/widgets/IMcAdapter.h"
#include "ui/widgets/SMcListViewAccessible.h"

namespace keyloom::ui {

namespace {

// The side of the triangle drawn as a sort mark without sort skin, and its distance from the
// column's right edge.
constexpr int kSortMarkSize = 8;
constexpr int kSortMarkMargin = 6;

}  // namespace

SMcListView::SMcListView() {
  setMouseTracking(true);
}

bool SMcListView::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SListView::IsClass(className);
}

AttributeResult SMcListView::SetAttribute(std::string_view name, const QString& value) {
  if (settings::EqualIgnoringAsciiCase(name, "headerHeight")) {
    const std::optional<int> height = ParseInt(value);
    if (!height || *height < 0) {
      return AttributeResult::kFailed;
    }
    headerHeight_ = *height;
    LayoutChildren();
    return AttributeResult::kHandled;
  }
  return SListView::SetAttribute(name, value);
}

void SMcListView::CreateChildren(const pugi::xml_node& element) {
  const SApplication* app = SApplication::Instance();
  const pugi::xml_node header = element.child("header");
  const auto resolved = [app](const QString& value) {
    return app != nullptr ? app->ResolveValue(value) : value;
  };
  if (std::optional<QString> skin = FindAttribute(header, "itemSkin")) {
    headerSkin_ = SApplication::SkinAttribute(resolved(*skin)).value_or(nullptr);
  }
  if (std::optional<QString> skin = FindAttribute(header, "sortSkin")) {
    sortSkin_ = SApplication::SkinAttribute(resolved(*skin)).value_or(nullptr);
  }
  columns_.clear();
  for (const pugi::xml_node item : header.child("items").children("item")) {
    Column column;
    column.title = resolved(
        FindAttribute(item, "text").value_or(QString::fromUtf8(item.child_value())).trimmed());
    column.displayTitle = SApplication::Tr(column.title);
    column.width = ParseInt(FindAttribute(item, "width").value_or(QString())).value_or(0);
    columns_.push_back(column);
  }
  SListView::CreateChildren(element);
  LayoutChildren();
}

void SMcListView::OnLanguageChanged() {
  SListView::OnLanguageChanged();
  for (Column& column : columns_) {
    column.displayTitle = SApplication::Tr(column.title);
  }
  update();
}

void SMcListView::SetAdapter(std::shared_ptr<IMcAdapter> adapter) {
  for (Column& column : columns_) {
    column.mark = SortMark::kNone;
  }
  mcAdapter_ = adapter;
  SListView::SetAdapter(std::move(adapter));
  update();
}

QString SMcListView::GetColumnTitle(int column) const {
  return (column >= 0 && column < GetColumnCount())
             ? columns_[static_cast<std::size_t>(column)].title
             : QString();
}

SortMark SMcListView::GetSortMark(int column) const {
  return (column >= 0 && column < GetColumnCount())
             ? columns_[static_cast<std::size_t>(column)].mark
             : SortMark::kNone;
}

QRect SMcListView::HeaderRect() const {
  const QRect client = ClientRect();
  return {client.left(), client.top(), client.width(), headerHeight_};
}

std::vector<QRect> SMcListView::ColumnRects() const {
  std::vector<int> widths;
  for (const Column& column : columns_) {
    widths.push_back(column.width);
  }
  return HeaderColumnRects(HeaderRect(), widths);
}

SWindow* SMcListView::GetCellView(int row, int column) const {
  const SItemPanel* view = GetRowView(row);
  if (view == nullptr || mcAdapter_ == nullptr || column < 0 || column >= GetColumnCount()) {
    return nullptr;
  }
  return view->FindChildByName(mcAdapter_->GetColumnName(column), 1);
}

QRect SMcListView::RowsArea() const {
  return ClientRect().adjusted(0, headerHeight_, 0, 0);
}

void SMcListView::OnRowFilled(SItemPanel& row) {
  if (mcAdapter_ == nullptr) {
    return;
  }
  const std::vector<QRect> rects = ColumnRects();
  const int left = HeaderRect().left();
  std::vector<SItemPanel::Column> columns;
  for (std::size_t column = 0; column < rects.size(); ++column) {
    columns.push_back(SItemPanel::Column{mcAdapter_->GetColumnName(static_cast<int>(column)),
                                         rects[column].left() - left, rects[column].width()});
  }
  row.SetColumns(std::move(columns));
}

void SMcListView::OnRowsChanged(int previousCount) {
  TellRowsChanged(*this, previousCount);
}

void SMcListView::OnSelChanged(int previous) {
  TellSelectionChanged(*this, previous);
}

void SMcListView::ClickHeader(int column) {
  if (column < 0 || column >= GetColumnCount()) {
    return;
  }
  if (mcAdapter_ != nullptr) {
    std::vector<SortMark> marks;
    for (const Column& each : columns_) {
      marks.push_back(each.mark);
    }
    if (mcAdapter_->OnSort(column, marks) && marks.size() == columns_.size()) {
      for (std::size_t index = 0; index < marks.size(); ++index) {
        columns_[index].mark = marks[index];
      }
      update();
    }
  }
  EventArgs args;
  args.eventId = kEventHeaderClick;
  args.index = column;
  FireEvent(args);
}

void SMcListView::OnPaint(QPainter& painter) {
  SListView::OnPaint(painter);
  const std::vector<QRect> rects = ColumnRects();
  for (std::size_t index = 0; index < rects.size(); ++index) {
    const int column = static_cast<int>(index);
    const int state = column == pressedColumn_ ? 2 : column == hoverColumn_ ? 1 : 0;
    if (headerSkin_ != nullptr) {
      headerSkin_->Draw(painter, rects[index], state);
    }
    DrawSortMark(painter, rects[index], columns_[index].mark);
    DrawTextIn(painter, rects[index].adjusted(kSortMarkMargin, 0, -kSortMarkMargin, 0),
               columns_[index].displayTitle);
  }
}

void SMcListView::DrawSortMark(QPainter& painter, const QRect& column, SortMark mark) const {
  if (mark == SortMark::kNone) {
    return;
  }
  const int state = mark == SortMark::kAscending ? 0 : 1;
  const QSize size = (sortSkin_ != nullptr && !sortSkin_->NaturalSize().isEmpty())
                         ? sortSkin_->NaturalSize()
                         : QSize(kSortMarkSize, kSortMarkSize / 2);
  const QRect area(column.left() + column.width() - kSortMarkMargin - size.width(),
                   column.top() + (column.height() - size.height()) / 2, size.width(),
                   size.height());
  if (sortSkin_ != nullptr) {
    sortSkin_->Draw(painter, area, state);
    return;
  }
  QPainterPath triangle;
  if (mark == SortMark::kAscending) {
    triangle.moveTo(area.left(), area.bottom() + 1);
    triangle.lineTo(area.center().x() + 0.5, area.top());
    triangle.lineTo(area.right() + 1, area.bottom() + 1);
  } else {
    triangle.moveTo(area.left(), area.top());
    triangle.lineTo(area.center().x() + 0.5, area.bottom() + 1);
    triangle.lineTo(area.right() + 1, area.top());
  }
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillPath(triangle, TextColor(0));
  painter.restore();
}

void SMcListView::mousePressEvent(QMouseEvent* event) {
  const int column = HeaderColumnAt(ColumnRects(), event->position().toPoint());
  if (event->button() == Qt::LeftButton && column >= 0) {
    pressedColumn_ = column;
    update();
    return;
  }
  SListView::mousePressEvent(event);
}

void SMcListView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || pressedColumn_ < 0) {
    SListView::mouseReleaseEvent(event);
    return;
  }
  const int pressed = pressedColumn_;
  pressedColumn_ = -1;
  update();
  if (HeaderColumnAt(ColumnRects(), event->position().toPoint()) == pressed) {
    ClickHeader(pressed);
  }
}

void SMcListView::mouseMoveEvent(QMouseEvent* event) {
  const int column = HeaderColumnAt(ColumnRects(), event->position().toPoint());
  if (column != hoverColumn_) {
    hoverColumn_ = column;
    update();
  }
  SListView::mouseMoveEvent(event);
}

void SMcListView::leaveEvent(QEvent* event) {
  hoverColumn_ = -1;
  update();
  SListView::leaveEvent(event);
}

}  // namespace keyloom::ui

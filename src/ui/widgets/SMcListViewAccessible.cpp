#include "ui/widgets/SMcListViewAccessible.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "ui/host/SApplication.h"
#include "ui/widgets/HeaderLayout.h"
#include "ui/widgets/SItemPanel.h"
#include "ui/widgets/SMcListView.h"
#include "ui/widgets/SPartAccessible.h"

namespace keyloom::ui {

namespace {

// A cell of the table, or with row -1 the header of its column. It reads the list as it is now;
// a cell whose row or column is gone is no longer valid.
class ListCellAccessible : public SPartAccessible<SMcListView>,
                           public QAccessibleTableCellInterface {
 public:
  ListCellAccessible(SMcListView* list, int row, int column)
      : SPartAccessible(list), row_(row), column_(column) {}

  [[nodiscard]] SMcListView* List() const { return Owner(); }
  [[nodiscard]] int Row() const { return row_; }
  [[nodiscard]] int Column() const { return column_; }

  [[nodiscard]] bool isValid() const override {
    return Owner() != nullptr && column_ < Owner()->GetColumnCount() &&
           row_ < Owner()->GetRowCount();
  }

  [[nodiscard]] QString text(QAccessible::Text type) const override {
    if (type != QAccessible::Name || !isValid()) {
      return {};
    }
    if (IsHeader()) {
      return SApplication::Tr(Owner()->GetColumnTitle(column_));
    }
    const SWindow* view = Owner()->GetCellView(row_, column_);
    return view != nullptr ? ShownTexts(*view) : QString();
  }
  void setText(QAccessible::Text /*type*/, const QString& /*text*/) override {}

  [[nodiscard]] QRect rect() const override {
    if (!isValid()) {
      return {};
    }
    const QRect column = Owner()->ColumnRects()[static_cast<std::size_t>(column_)];
    if (IsHeader()) {
      return {Owner()->mapToGlobal(column.topLeft()), column.size()};
    }
    const SItemPanel* row = Owner()->GetRowView(row_);
    const QPoint origin = row->mapToGlobal(QPoint(column.left() - Owner()->HeaderRect().left(), 0));
    return {origin, QSize(column.width(), row->height())};
  }

  [[nodiscard]] QAccessible::Role role() const override {
    return IsHeader() ? QAccessible::ColumnHeader : QAccessible::Cell;
  }

  [[nodiscard]] QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) {
      state.invalid = true;
      return state;
    }
    const QWidget* shown =
        IsHeader() ? static_cast<const QWidget*>(Owner()) : Owner()->GetRowView(row_);
    state.invisible = !shown->isVisible();
    state.offscreen = shown->visibleRegion().isEmpty();
    if (!IsHeader()) {
      state.selectable = true;
      state.selected = isSelected();
      state.focusable = Owner()->focusPolicy() != Qt::NoFocus;
      state.focused = state.selected && column_ == 0 && Owner()->hasFocus();
    }
    return state;
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::TableCellInterface && !IsHeader()
               ? static_cast<QAccessibleTableCellInterface*>(this)
               : nullptr;
  }

  [[nodiscard]] bool isSelected() const override {
    return isValid() && !IsHeader() && Owner()->GetSel() == row_;
  }
  [[nodiscard]] QList<QAccessibleInterface*> columnHeaderCells() const override {
    QAccessibleInterface* table = parent();
    QAccessibleInterface* header = table != nullptr ? table->child(column_) : nullptr;
    return header != nullptr ? QList<QAccessibleInterface*>{header}
                             : QList<QAccessibleInterface*>();
  }
  [[nodiscard]] QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
  [[nodiscard]] int columnIndex() const override { return column_; }
  [[nodiscard]] int rowIndex() const override { return row_; }
  [[nodiscard]] int columnExtent() const override { return 1; }
  [[nodiscard]] int rowExtent() const override { return 1; }
  [[nodiscard]] QAccessibleInterface* table() const override { return parent(); }

 private:
  [[nodiscard]] bool IsHeader() const { return row_ < 0; }

  int row_;
  int column_;
};

}  // namespace

SMcListViewAccessible::SMcListViewAccessible(SMcListView* list) : SWindowAccessible(list) {}

SMcListViewAccessible::~SMcListViewAccessible() {
  DropRowsFrom(-1);
}

SMcListView* SMcListViewAccessible::List() const {
  return static_cast<SMcListView*>(widget());
}

int SMcListViewAccessible::childCount() const {
  return columnCount() * (rowCount() + 1);
}

QAccessibleInterface* SMcListViewAccessible::child(int index) const {
  const int columns = columnCount();
  return index >= 0 && columns > 0 ? Cell(index / columns - 1, index % columns) : nullptr;
}

int SMcListViewAccessible::indexOfChild(const QAccessibleInterface* child) const {
  const auto* cell = dynamic_cast<const ListCellAccessible*>(child);
  if (cell == nullptr || cell->List() != List() || !cell->isValid()) {
    return -1;
  }
  return (cell->Row() + 1) * columnCount() + cell->Column();
}

QAccessibleInterface* SMcListViewAccessible::childAt(int x, int y) const {
  const SMcListView* list = List();
  const QPoint point = list->mapFromGlobal(QPoint(x, y));
  const QRect header = list->HeaderRect();
  const int column = HeaderColumnAt(list->ColumnRects(), QPoint(point.x(), header.center().y()));
  if (column < 0) {
    return nullptr;
  }
  if (header.contains(point)) {
    return Cell(-1, column);
  }
  // The widget under the point lies in the row it belongs to; a row scrolled away is not hit.
  for (const QWidget* at = list->childAt(point); at != nullptr && at != list;
       at = at->parentWidget()) {
    for (int row = 0; row < list->GetRowCount(); ++row) {
      if (list->GetRowView(row) == at) {
        return Cell(row, column);
      }
    }
  }
  return nullptr;
}

QAccessibleInterface* SMcListViewAccessible::focusChild() const {
  const SMcListView* list = List();
  if (list->hasFocus() && list->GetSel() >= 0) {
    if (QAccessibleInterface* cell = Cell(list->GetSel(), 0)) {
      return cell;
    }
  }
  return SWindowAccessible::focusChild();
}

void* SMcListViewAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::TableInterface) {
    return static_cast<QAccessibleTableInterface*>(this);
  }
  return SWindowAccessible::interface_cast(type);
}

QAccessibleInterface* SMcListViewAccessible::caption() const {
  return nullptr;
}

QAccessibleInterface* SMcListViewAccessible::summary() const {
  return nullptr;
}

QAccessibleInterface* SMcListViewAccessible::cellAt(int row, int column) const {
  return row >= 0 ? Cell(row, column) : nullptr;
}

int SMcListViewAccessible::selectedCellCount() const {
  return selectedRowCount() * columnCount();
}

QList<QAccessibleInterface*> SMcListViewAccessible::selectedCells() const {
  QList<QAccessibleInterface*> cells;
  for (const int row : selectedRows()) {
    for (int column = 0; column < columnCount(); ++column) {
      cells.append(Cell(row, column));
    }
  }
  return cells;
}

QString SMcListViewAccessible::columnDescription(int column) const {
  return column >= 0 && column < columnCount() ? SApplication::Tr(List()->GetColumnTitle(column))
                                               : QString();
}

QString SMcListViewAccessible::rowDescription(int /*row*/) const {
  return {};
}

int SMcListViewAccessible::selectedColumnCount() const {
  return 0;
}

int SMcListViewAccessible::selectedRowCount() const {
  return static_cast<int>(selectedRows().size());
}

int SMcListViewAccessible::columnCount() const {
  return List()->GetColumnCount();
}

int SMcListViewAccessible::rowCount() const {
  return List()->GetRowCount();
}

QList<int> SMcListViewAccessible::selectedColumns() const {
  return {};
}

QList<int> SMcListViewAccessible::selectedRows() const {
  const int row = List()->GetSel();
  return row >= 0 && row < rowCount() ? QList<int>{row} : QList<int>();
}

bool SMcListViewAccessible::isColumnSelected(int /*column*/) const {
  return false;
}

bool SMcListViewAccessible::isRowSelected(int row) const {
  return row >= 0 && row < rowCount() && List()->GetSel() == row;
}

bool SMcListViewAccessible::selectRow(int row) {
  return row >= 0 && List()->SetSel(row, true);
}

bool SMcListViewAccessible::selectColumn(int /*column*/) {
  return false;
}

bool SMcListViewAccessible::unselectRow(int /*row*/) {
  return false;
}

bool SMcListViewAccessible::unselectColumn(int /*column*/) {
  return false;
}

void SMcListViewAccessible::modelChange(QAccessibleTableModelChangeEvent* event) {
  switch (event->modelChangeType()) {
    case QAccessibleTableModelChangeEvent::RowsInserted:
    case QAccessibleTableModelChangeEvent::RowsRemoved:
      // The rows after the first changed one now stand elsewhere, or are gone.
      DropRowsFrom(std::max(0, event->firstRow()));
      break;
    case QAccessibleTableModelChangeEvent::DataChanged:
      // A cell reads its texts when asked.
      break;
    case QAccessibleTableModelChangeEvent::ModelReset:
    case QAccessibleTableModelChangeEvent::ColumnsInserted:
    case QAccessibleTableModelChangeEvent::ColumnsRemoved:
      DropRowsFrom(-1);
      break;
  }
}

QAccessibleInterface* SMcListViewAccessible::Cell(int row, int column) const {
  if (column < 0 || column >= columnCount() || row < -1 || row >= rowCount()) {
    return nullptr;
  }
  const auto key = std::make_pair(row, column);
  if (const auto kept = cells_.find(key); kept != cells_.end()) {
    if (QAccessibleInterface* cell = QAccessible::accessibleInterface(kept->second)) {
      return cell;
    }
  }
  auto* cell = new ListCellAccessible(List(), row, column);
  cells_[key] = QAccessible::registerAccessibleInterface(cell);
  return cell;
}

void SMcListViewAccessible::DropRowsFrom(int firstRow) {
  for (auto kept = cells_.begin(); kept != cells_.end();) {
    if (kept->first.first >= firstRow) {
      QAccessible::deleteAccessibleInterface(kept->second);
      kept = cells_.erase(kept);
    } else {
      ++kept;
    }
  }
}

std::vector<RowsChange> RowsChanges(int previousCount, int count) {
  std::vector<RowsChange> changes;
  if (count < previousCount) {
    changes.push_back({QAccessibleTableModelChangeEvent::RowsRemoved, count, previousCount - 1});
  } else if (count > previousCount) {
    changes.push_back({QAccessibleTableModelChangeEvent::RowsInserted, previousCount, count - 1});
  }
  if (const int stayed = std::min(count, previousCount); stayed > 0) {
    changes.push_back({QAccessibleTableModelChangeEvent::DataChanged, 0, stayed - 1});
  }
  return changes;
}

void TellRowsChanged(SMcListView& list, int previousCount) {
  if (!QAccessible::isActive()) {
    return;
  }
  for (const RowsChange& change : RowsChanges(previousCount, list.GetRowCount())) {
    QAccessibleTableModelChangeEvent event(&list, change.type);
    event.setFirstRow(change.firstRow);
    event.setLastRow(change.lastRow);
    QAccessible::updateAccessibility(&event);
  }
}

void TellSelectionChanged(SMcListView& list, int previous) {
  const int columns = list.GetColumnCount();
  if (!QAccessible::isActive() || columns == 0) {
    return;
  }
  // Told on the first cell of the row, as item views do.
  const auto tell = [&list, columns](QAccessible::Event type, int row) {
    QAccessibleEvent event(&list, type);
    event.setChild((row + 1) * columns);
    QAccessible::updateAccessibility(&event);
  };
  if (previous >= 0 && previous < list.GetRowCount()) {
    tell(QAccessible::SelectionRemove, previous);
  }
  if (const int current = list.GetSel(); current >= 0) {
    tell(QAccessible::SelectionAdd, current);
    if (list.hasFocus()) {
      tell(QAccessible::Focus, current);
    }
  }
}

}  // namespace keyloom::ui

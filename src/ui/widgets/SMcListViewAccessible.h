#pragma once

#include <QAccessible>
#include <QList>
#include <map>
#include <utility>
#include <vector>

#include "ui/widgets/SWindowAccessible.h"

namespace keyloom::ui {

class SMcListView;

// A multi-column list view as a screen reader sees it: a table whose children are the column
// headers (role ColumnHeader, named by their titles) and then the cells row by row (role Cell,
// named by the texts their controls show, with the table cell interface). One row is selected at
// most, as the keyboard and a click select it; a screen reader selects a row the same way.
//
// The interfaces of the cells are made when asked for and kept by (row, column) until their row
// goes or the list gets another adapter (a table model change event, which the list sends).
class SMcListViewAccessible : public SWindowAccessible, public QAccessibleTableInterface {
 public:
  explicit SMcListViewAccessible(SMcListView* list);
  ~SMcListViewAccessible() override;
  SMcListViewAccessible(const SMcListViewAccessible&) = delete;
  SMcListViewAccessible& operator=(const SMcListViewAccessible&) = delete;

  [[nodiscard]] SMcListView* List() const;

  [[nodiscard]] int childCount() const override;
  [[nodiscard]] QAccessibleInterface* child(int index) const override;
  [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override;
  [[nodiscard]] QAccessibleInterface* childAt(int x, int y) const override;
  // The first cell of the selected row while the list has the focus.
  [[nodiscard]] QAccessibleInterface* focusChild() const override;
  void* interface_cast(QAccessible::InterfaceType type) override;

  [[nodiscard]] QAccessibleInterface* caption() const override;
  [[nodiscard]] QAccessibleInterface* summary() const override;
  [[nodiscard]] QAccessibleInterface* cellAt(int row, int column) const override;
  [[nodiscard]] int selectedCellCount() const override;
  [[nodiscard]] QList<QAccessibleInterface*> selectedCells() const override;
  [[nodiscard]] QString columnDescription(int column) const override;
  [[nodiscard]] QString rowDescription(int row) const override;
  [[nodiscard]] int selectedColumnCount() const override;
  [[nodiscard]] int selectedRowCount() const override;
  [[nodiscard]] int columnCount() const override;
  [[nodiscard]] int rowCount() const override;
  [[nodiscard]] QList<int> selectedColumns() const override;
  [[nodiscard]] QList<int> selectedRows() const override;
  [[nodiscard]] bool isColumnSelected(int column) const override;
  [[nodiscard]] bool isRowSelected(int row) const override;
  // Selects the row and fires the selection change, as the keyboard does.
  bool selectRow(int row) override;
  bool selectColumn(int column) override;
  // One row stays selected: the list has no way to select none.
  bool unselectRow(int row) override;
  bool unselectColumn(int column) override;
  void modelChange(QAccessibleTableModelChangeEvent* event) override;

 private:
  // The interface of a cell, or with `row` -1 of a column header; made on first use.
  [[nodiscard]] QAccessibleInterface* Cell(int row, int column) const;
  // Drops the kept interfaces of the rows from `firstRow` on (the headers stay unless all go).
  void DropRowsFrom(int firstRow);

  mutable std::map<std::pair<int, int>, QAccessible::Id> cells_;
};

// A change of the rows as screen readers hear of it: rows `firstRow` to `lastRow` went, came or
// show other data.
struct RowsChange {
  QAccessibleTableModelChangeEvent::ModelChangeType type;
  int firstRow;
  int lastRow;
};

// The changes when the rows were built again, from `previousCount` rows to `count`: the rows
// beyond the new count went, or new ones came after the old; those that stayed may show other
// data.
[[nodiscard]] std::vector<RowsChange> RowsChanges(int previousCount, int count);

// Tells screen readers of the changes of the list's rows (RowsChanges), as table model changes.
void TellRowsChanged(SMcListView& list, int previousCount);
// Tell screen readers that the selected row changed from `previous` to the list's selection.
void TellSelectionChanged(SMcListView& list, int previous);

}  // namespace keyloom::ui

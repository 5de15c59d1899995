#pragma once

#include <QColor>
#include <memory>
#include <optional>
#include <vector>

#include "ui/widgets/IDataSetObserver.h"
#include "ui/widgets/SItemPanel.h"
#include "ui/widgets/SWindow.h"

class QScrollArea;

namespace pugi {
class xml_document;
}

namespace keyloom::ui {

class IListAdapter;

// Tag "listview": a scrolling list of rows fed by an adapter (IListAdapter). Each row is a row
// view (SItemPanel) that the adapter fills from the item template, <template itemHeight="N">
// ...controls...</template>; the template's other attributes apply to every row view. Rows are
// `itemHeight` high (the template's, else the list's, else 30) and drawn with `itemSkin` (three
// states: normal, hover, selected) or `colorItemHoverBkgnd` / `colorItemSelBkgnd`.
//
// The rows are painted by their own controls, not by a Qt item view. They are not reached by the
// lookups of the controls above the list: the adapter finds the controls of a row in its row
// view. Events of a row's controls travel up through the row view and the list to the host.
//
// A press anywhere in a row (also on a control in it) selects the row, firing
// kEventListSelectionChanged from the list when the row changes, and then fires
// kEventListItemClick from the row view (index: the row).
//
// Keyboard: the list takes the focus (Tab, or a click); the controls of its rows take it only
// from a click, or from F2, which focuses the first of the selected row's. Up, Down, Home and End
// select a row (the selection change fires); Enter and Space click the selected row as a press
// does.
class SListView : public SWindow, private IDataSetObserver {
 public:
  static constexpr std::string_view kClassName = "listview";
  static constexpr int kDefaultItemHeight = 30;

  SListView();
  ~SListView() override;

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  AttributeResult SetAttribute(std::string_view name, const QString& value) override;
  void CreateChildren(const pugi::xml_node& element) override;
  void LayoutChildren() override;
  void OnLanguageChanged() override;
  void OnDestroy() override;

  // Takes (a share of) the adapter, observes it and fills new rows (the row views of the old
  // adapter are destroyed, the selection cleared); null empties the list.
  void SetAdapter(std::shared_ptr<IListAdapter> adapter);
  [[nodiscard]] const std::shared_ptr<IListAdapter>& GetAdapter() const { return adapter_; }

  // Builds and fills the rows again from the adapter; a selection past the last row is cleared.
  void Refresh();

  [[nodiscard]] int GetSel() const { return selection_; }
  // Selects `row` (-1: none); false, with nothing changed, for a row outside the list. With
  // `notify` the selection change fires when the row changes.
  bool SetSel(int row, bool notify = false);

  [[nodiscard]] int GetRowCount() const { return static_cast<int>(rows_.size()); }
  [[nodiscard]] SItemPanel* GetRowView(int row) const;
  [[nodiscard]] int GetItemHeight() const;

 protected:
  // Where the rows are shown: the client area, less a header in a multi-column list.
  [[nodiscard]] virtual QRect RowsArea() const;
  // Called after the adapter filled a row view.
  virtual void OnRowFilled(SItemPanel& row);
  // Called when the rows were built again (`previousCount` rows before; the rows that stay may
  // show other data) and when the row views of an old adapter are gone (no rows).
  virtual void OnRowsChanged(int previousCount);
  // Called when the selected row changed, from `previous` (-1: none) to GetSel().
  virtual void OnSelChanged(int previous);

  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void OnDataSetChanged() override;
  void PlaceRows();
  // The row whose view holds `widget`; -1 for none.
  [[nodiscard]] int RowOf(const QWidget* widget) const;
  void WatchRow(SItemPanel& row);
  void ClickRow(int row);

  std::shared_ptr<IListAdapter> adapter_;
  std::unique_ptr<pugi::xml_document> template_;
  QScrollArea* scroll_;
  QWidget* content_;
  std::vector<SItemPanel*> rows_;
  int selection_ = -1;
  std::optional<int> itemHeight_;
  std::optional<int> templateItemHeight_;
  SItemPanel::Look look_;
};

}  // namespace keyloom::ui

#pragma once

#include <memory>
#include <vector>

#include "ui/widgets/SListView.h"
#include "ui/widgets/SortMark.h"

namespace keyloom::ui {

class IMcAdapter;

// Tag "mclistview": a list view with a header of columns,
//   <header itemSkin="..." sortSkin="..."><items><item width="N">Title</item>...</items></header>
// `headerHeight` high (default 30). Titles are translated. `itemSkin` has three states (normal,
// hover, pushed); `sortSkin` two (ascending, descending), drawn at the right of a marked column.
// The children of each row view that the adapter names per column (IMcAdapter::GetColumnName)
// are placed under their column.
//
// A click on a column header lets the adapter set the sort marks (the rows keep their order) and
// then fires kEventHeaderClick (index: the column).
class SMcListView : public SListView {
 public:
  static constexpr std::string_view kClassName = "mclistview";
  static constexpr int kDefaultHeaderHeight = 30;

  SMcListView();

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  AttributeResult SetAttribute(std::string_view name, const QString& value) override;
  void CreateChildren(const pugi::xml_node& element) override;
  void OnLanguageChanged() override;

  // Takes the adapter (see SListView::SetAdapter); every sort mark is cleared.
  void SetAdapter(std::shared_ptr<IMcAdapter> adapter);

  [[nodiscard]] int GetColumnCount() const { return static_cast<int>(columns_.size()); }
  [[nodiscard]] QString GetColumnTitle(int column) const;
  [[nodiscard]] SortMark GetSortMark(int column) const;
  [[nodiscard]] QRect HeaderRect() const;
  [[nodiscard]] std::vector<QRect> ColumnRects() const;
  // The child of row view `row` that shows column `column`; null for none.
  [[nodiscard]] SWindow* GetCellView(int row, int column) const;

  // What a click on the header of `column` does.
  void ClickHeader(int column);

 protected:
  [[nodiscard]] QRect RowsArea() const override;
  void OnRowFilled(SItemPanel& row) override;
  // Screen readers hear of rows that come and go and of the selection.
  void OnRowsChanged(int previousCount) override;
  void OnSelChanged(int previous) override;
  void OnPaint(QPainter& painter) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  struct Column {
    QString title;
    QString displayTitle;
    int width = 0;
    SortMark mark = SortMark::kNone;
  };

  void DrawSortMark(QPainter& painter, const QRect& column, SortMark mark) const;

  std::shared_ptr<IMcAdapter> mcAdapter_;
  std::vector<Column> columns_;
  int headerHeight_ = kDefaultHeaderHeight;
  std::shared_ptr<const ISkinObj> headerSkin_;
  std::shared_ptr<const ISkinObj> sortSkin_;
  int hoverColumn_ = -1;
  int pressedColumn_ = -1;
};

}  // namespace keyloom::ui

#pragma once

#include <QColor>
#include <memory>
#include <optional>
#include <vector>

#include "ui/widgets/SWindow.h"

namespace keyloom::ui {

// The row view of a list view: a control that holds the controls built from the list's item
// template for one row. Its background shows the row's state: the list's item skin in state 0
// (normal), 1 (under the mouse) or 2 (selected), or else the list's hover and selection colours.
// A selected row is checked.
class SItemPanel : public SWindow {
 public:
  static constexpr std::string_view kClassName = "itempanel";

  // A column of a multi-column list view, in the row's coordinates.
  struct Column {
    QString name;
    int left = 0;
    int width = 0;
  };

  // How the list view wants its rows' backgrounds drawn.
  struct Look {
    std::shared_ptr<const ISkinObj> skin;
    std::optional<QColor> hoverColor;
    std::optional<QColor> selectedColor;
  };

  [[nodiscard]] std::string_view ClassName() const override { return kClassName; }
  [[nodiscard]] bool IsClass(std::string_view className) const override;

  [[nodiscard]] int GetItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index) { itemIndex_ = index; }

  void SetLook(Look look);
  // Direct children named like a column span that column, the row's full height; the others are
  // placed by their pos.
  void SetColumns(std::vector<Column> columns);
  void LayoutChildren() override;

 protected:
  void OnPaint(QPainter& painter) override;
  [[nodiscard]] bool HoverChangesLook() const override;

 private:
  int itemIndex_ = -1;
  Look look_;
  std::vector<Column> columns_;
};

}  // namespace keyloom::ui

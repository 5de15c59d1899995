#pragma once

#include <QString>
#include <vector>

#include "ui/widgets/IListAdapter.h"
#include "ui/widgets/SortMark.h"

namespace keyloom::ui {

// Feeds a multi-column list view. Each row view has one child per column, named by
// GetColumnName, which the list places under that column's header.
class IMcAdapter : public IListAdapter {
 public:
  // The name of the row template's child that shows column `column` (0 the first).
  [[nodiscard]] virtual QString GetColumnName(int column) const = 0;

  // The user clicked the header of `column`. `marks` holds the sort mark of every column; the
  // adapter sets the ones it wants shown and answers true to have them shown. The list does not
  // reorder its rows.
  virtual bool OnSort(int column, std::vector<SortMark>& marks) = 0;
};

}  // namespace keyloom::ui

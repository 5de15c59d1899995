#pragma once

namespace pugi {
class xml_node;
}

namespace keyloom::ui {

class IDataSetObserver;
class SWindow;

// Feeds a list view: the number of rows and the content of each row view. The list view holds
// its adapter through shared ownership, registers itself as an observer and fills its rows again
// when the adapter tells its observers that the data changed.
class IListAdapter {
 public:
  virtual ~IListAdapter() = default;

  [[nodiscard]] virtual int GetCount() const = 0;

  // Fills the row view of row `position`. A row keeps its row view across refreshes; a row view
  // without children has still to be built from the list's item template, with
  // rowView.CreateChildren(itemTemplate).
  virtual void GetView(int position, SWindow& rowView, const pugi::xml_node& itemTemplate) = 0;

  virtual void RegisterObserver(IDataSetObserver* observer) = 0;
  virtual void UnregisterObserver(IDataSetObserver* observer) = 0;
};

}  // namespace keyloom::ui

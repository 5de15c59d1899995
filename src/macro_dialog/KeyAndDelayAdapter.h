#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "macro/MacroEventList.h"
#include "storage/FileResult.h"
#include "ui/widgets/AdapterBase.h"

namespace keyloom::ui {
struct EventArgs;
}

namespace keyloom::macro {

// Feeds the events list ("key_info") with the events of the shown group (none at first): per row
// the event's "code", "name", its state as "key down", "key up" or "replace" (translated), and
// its "delay" in the editable "key_delay", which stores what the user types when it begins with
// a number and otherwise puts the stored delay back. The columns' children are "col1" to
// "col4". Clicking a column header marks it ascending, then descending, and clears the other
// marks; the rows keep their order.
//
// The edits of the shown group's events (Events()) save the library and refresh the list.
class KeyAndDelayAdapter : public ui::McAdapterBase {
 public:
  KeyAndDelayAdapter();

  [[nodiscard]] int GetCount() const override { return events_.Count(); }
  void GetView(int position, ui::SWindow& rowView, const pugi::xml_node& itemTemplate) override;
  [[nodiscard]] QString GetColumnName(int column) const override;
  bool OnSort(int column, std::vector<ui::SortMark>& marks) override;

  // The shown group and the edits of its events.
  [[nodiscard]] MacroEventList& Events() { return events_; }
  [[nodiscard]] const MacroEventList& Events() const { return events_; }

  // Told how each save of a delay typed into the list went.
  using SaveListener = std::function<void(const storage::FileResult& saved)>;
  void SetSaveListener(SaveListener listener) { saved_ = std::move(listener); }

 private:
  void OnDelayChanged(ui::EventArgs& args);

  MacroEventList events_;
  SaveListener saved_;
  // A row's delay being shown, which is no edit.
  bool showing_ = false;
};

}  // namespace keyloom::macro

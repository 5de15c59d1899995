#pragma once

#include <functional>
#include <string>

#include "storage/EditResult.h"
#include "storage/FileResult.h"
#include "ui/widgets/AdapterBase.h"

namespace keyloom::ui {
struct EventArgs;
}

namespace keyloom::macro {

class IOnMacroGroupClickedListener;
class MacroLibrary;

// Feeds the list of macro groups ("macro_group"): one row per group of the library, its name in
// the row template's edit "group_name", which renames the group (and saves the library) on
// every change of its text to a name that no other group has. A click on a row tells the
// listener.
class CMacroGroupAdapter : public ui::ListAdapterBase {
 public:
  // Neither is owned; both must outlive the adapter's list rows. Without a library the list is
  // empty.
  CMacroGroupAdapter(MacroLibrary* library, IOnMacroGroupClickedListener* listener);

  [[nodiscard]] int GetCount() const override;
  void GetView(int position, ui::SWindow& rowView, const pugi::xml_node& itemTemplate) override;

  // Appends a group "Group N" and saves the library; the list shows it.
  storage::EditResult AddGroup();
  // Removes the group at `index` (MacroNode::kLast: the last one; outside: nothing) and saves.
  storage::EditResult DeleteGroup(int index);
  // Tells the list to show the library again (after it was replaced).
  void Refresh() { NotifyDataSetChanged(); }

  // Told how each save of a rename went.
  using SaveListener = std::function<void(const storage::FileResult& saved)>;
  void SetSaveListener(SaveListener listener) { saved_ = std::move(listener); }
  // Told after each change of a name's text whether another group has that name (`taken`, and
  // the name), so that the group keeps the name it had.
  using NameListener = std::function<void(bool taken, const std::string& name)>;
  void SetNameListener(NameListener listener) { named_ = std::move(listener); }

 private:
  void OnNameChanged(ui::EventArgs& args);
  void OnRowClicked(ui::EventArgs& args);

  MacroLibrary* library_;
  IOnMacroGroupClickedListener* listener_;
  SaveListener saved_;
  NameListener named_;
  // A row's name being shown, which is no rename.
  bool showing_ = false;
};

}  // namespace keyloom::macro

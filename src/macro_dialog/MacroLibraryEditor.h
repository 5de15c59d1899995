#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

#include "macro/MacroLibrary.h"
#include "macro_dialog/IOnMacroGroupClickedListener.h"
#include "macro_dialog/PageContext.h"

class QWidget;

namespace keyloom::ui {
class SHostWnd;
class SListView;
class SMcListView;
struct EventArgs;
}  // namespace keyloom::ui

namespace keyloom::macro {

class CMacroGroupAdapter;
class KeyAndDelayAdapter;

// The macro page's editor of the library: the groups list ("macro_group", CMacroGroupAdapter),
// the events of the group clicked ("key_info", KeyAndDelayAdapter) and their buttons: new and
// delete group, import and export of macro files, move an event up or down, delete the event
// selected (with none selected, the last one), delete all. Every change is a locked update of
// the library's file, saved at once; a save that fails, and a file that could not be imported or
// exported or an import that left groups out, go to the problems line. When another program
// changed the file, the library reads it again and the shown group and the selected row follow
// the group's name into it. The row the user selects is the store's "groupsel"; the folder of a
// macro file chosen is its "folder", where the file dialogs open next time.
class MacroLibraryEditor : public IOnMacroGroupClickedListener {
 public:
  // None is owned: the library, the events' adapter and `fileDialogOwner` (the dialog, which
  // owns the file dialogs) must outlive the editor.
  MacroLibraryEditor(PageContext& context, MacroLibrary& library,
                     std::shared_ptr<KeyAndDelayAdapter> events, QWidget& fileDialogOwner);
  ~MacroLibraryEditor() override;

  MacroLibraryEditor(const MacroLibraryEditor&) = delete;
  MacroLibraryEditor& operator=(const MacroLibraryEditor&) = delete;

  // Gives the lists their adapters, the events list showing no group yet.
  void Bind(const ui::SHostWnd& window);
  // Selects the store's row and shows the events of its group.
  void ShowStored();
  void Listen();
  void Unbind();
  // The buttons of the lists.
  bool OnCommand(const ui::EventArgs& args);

  // The group of the row selected; null for none.
  [[nodiscard]] const MacroNode* SelectedGroup() const;
  [[nodiscard]] bool HasSelection() const;

  // Shows the events of the group at `row` (none for a row outside the groups).
  void OnMacroGroupClicked(int row, std::string_view name) override;

 private:
  [[nodiscard]] int SelectedRow() const;
  void OnLibraryReloaded(const MacroNode& previousRoot);
  void AddGroup();
  void DeleteGroup();
  void SelectGroupRow(int row);
  void RememberGroupRow();
  void MoveEventUp();
  void MoveEventDown();
  void ImportLibrary();
  void ExportLibrary();
  void RememberFolder(const std::filesystem::path& file);

  PageContext& context_;
  MacroLibrary& library_;
  std::shared_ptr<CMacroGroupAdapter> groupsAdapter_;
  std::shared_ptr<KeyAndDelayAdapter> eventsAdapter_;
  QWidget& fileDialogOwner_;
  ui::SListView* groupList_ = nullptr;
  ui::SMcListView* eventList_ = nullptr;
};

}  // namespace keyloom::macro

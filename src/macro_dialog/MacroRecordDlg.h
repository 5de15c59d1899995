#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "keymap/KeyContent.h"
#include "macro/AssignmentStore.h"
#include "macro/IKeyboardHookListener.h"
#include "macro/KeyboardHook.h"
#include "macro/MacroLibrary.h"
#include "macro/MacroRecorder.h"
#include "macro_dialog/FileProblemLine.h"
#include "macro_dialog/HookSession.h"
#include "macro_dialog/MacroPage.h"
#include "macro_dialog/MediaKeyPage.h"
#include "macro_dialog/PageContext.h"
#include "macro_dialog/ShortcutPage.h"
#include "macro_dialog/SingleKeyPage.h"
#include "protocol/Clock.h"
#include "protocol/KeyboardState.h"
#include "protocol/SelectedKeys.h"
#include "settings/AppConfig.h"
#include "storage/OpenReport.h"
#include "ui/host/SHostDialog.h"

namespace keyloom::ui {
class SStatic;
}

namespace keyloom::controls {
class STabCtrl2;
}

namespace keyloom::macro {

class KeyAndDelayAdapter;

// The key assignment dialog (LAYOUT:macro): decides what the picked keys do, on one of four
// pages, and edits the macro library on the way. Run modally with Exec; its result:
// - kResultOk (btnOK): the choice (Chosen()) is made of what the page shown picks
//   (keymap/ContentBuilder.h); without content no valid choice was made (on the macro page OK
//   does nothing while the repeat count is refused);
// - kResultCancel (btnCancel, or the window closed): nothing;
// - kResultDelete (btnDelete): the picked keys are to lose what they were given.
//
// The dialog itself holds the window, the files and the keyboard hook, and hands the rest to its
// parts: the pages (DialogPage: MacroPage, SingleKeyPage, MediaKeyPage, ShortcutPage), the line
// on its files (FileProblemLine, which also tells of a library or store file that could not be
// read) and the line on the free macro slots ("text_free_slots", ShowFreeSlotsText, from the
// keyboard state it is given). Every change to the library is saved at once to the library's
// file; the dialog's choices (page, repeat count, delay mode, catalogue entries, single key,
// macro row) are kept in the process's AssignmentStore, so that the next dialog opens as this one
// was left; opening it and looking change no file. It captures keystrokes (the keyboard hook
// installed, on Linux the keyboard taken) only while the page shown has use for them: on the
// macro page while a recording is on, on the single-key page always; it is the hook's listener
// and hands each keystroke to that page.
class MacroRecordDlg : public ui::SHostDialog, public IKeyboardHookListener {
 public:
  static constexpr std::string_view kClassName = "macrorecordlg";
  static constexpr const char* kLayoutName = "LAYOUT:macro";

  static constexpr int kResultOk = 1;
  static constexpr int kResultCancel = 2;
  // The id of "btnDelete".
  static constexpr int kResultDelete = 65579;

  // The pages of "tab_macro_mode_selection".
  static constexpr int kMacroPage = 0;
  static constexpr int kSingleKeyPage = 1;
  static constexpr int kMediaKeyPage = 2;
  static constexpr int kFunctionKeyPage = 3;

  // What the dialog works with besides the keys; what is left unset is the program's own.
  struct Environment {
    // AssignmentStore::Global().
    AssignmentStore* store = nullptr;
    // "macro.xml" in the store's folder.
    std::filesystem::path libraryFile;
    // KeyboardCapture::Hook().
    KeyboardHook* hook = nullptr;
    // A steady clock started with the first dialog; it times the recorded delays.
    const protocol::Clock* clock = nullptr;
    // settings::AppConfig::Global(): the media-key and function-key catalogues.
    const settings::AppConfig* config = nullptr;
    // The keyboard as the connection last read it, whose slot table tells how many macro slots
    // are free; unset: the dialog says nothing of them.
    const protocol::KeyboardState* keyboard = nullptr;
    // What the key being assigned does now, as far as the key map knows it: the dialog opens on
    // it (its page, its macro group and repeat count, its key or catalogue entry) instead of the
    // store's last choices, without saving them. Unset, or of unknown content: the last choices.
    const keymap::KeyContent* current = nullptr;
  };

  // What the user chose, as btnOK left it; before that, and after delete or cancel, no content
  // and page -1.
  struct Choice {
    // The page shown at OK (kMacroPage ...).
    int page = -1;
    // What the picked keys are to do: the group (by its name) with the repeat count, the key
    // captured, or the catalogue entry; none when the page had nothing valid chosen.
    std::optional<keymap::KeyContent> content;
    // The macro or key combination did not fit into a key whole.
    bool shortened = false;
  };

  // Reads the library from its file. `keys` (the keys being assigned) must outlive the dialog.
  explicit MacroRecordDlg(const protocol::SelectedKeys& keys);
  MacroRecordDlg(const protocol::SelectedKeys& keys, const Environment& environment);
  ~MacroRecordDlg() override;

  MacroRecordDlg(const MacroRecordDlg&) = delete;
  MacroRecordDlg& operator=(const MacroRecordDlg&) = delete;

  [[nodiscard]] MacroLibrary& Library() { return library_; }
  [[nodiscard]] const Choice& Chosen() const { return choice_; }

  void OnInitDialog() override;
  // The window goes: the keyboard hook is removed and the dialog stops listening to it.
  void OnDestroy() override;
  void OnEvent(ui::EventArgs& args) override;

  bool OnKeyboardEvent(int& hookCode, std::uint32_t& message, KeyboardEventRecord& record) override;

 private:
  // The page at `index` of the tabs; null outside them.
  [[nodiscard]] DialogPage* PageAt(int index) const;
  [[nodiscard]] DialogPage* ShownPage() const;
  // The store's choices as `current` makes them, in memory only.
  void TakeCurrentContent(const keymap::KeyContent& current);
  void ShowKeys();
  void ShowOpenProblems();
  void OnPageChanged(int page);
  // Holds the hook while the page shown captures keystrokes; elsewhere the keyboard is left to
  // the desktop.
  void UpdateCapture();
  // The choice of the page shown.
  void TakeChoice();

  const protocol::SelectedKeys& keys_;
  Choice choice_;
  AssignmentStore& store_;
  bool usesGlobalStore_;
  const settings::AppConfig& config_;
  const protocol::KeyboardState* keyboard_;
  const keymap::KeyContent* current_;
  MacroLibrary library_;
  storage::OpenReport libraryReport_;
  FileProblemLine problems_;
  PageContext context_;
  // The events list's adapter, whose list the recorder appends to.
  std::shared_ptr<KeyAndDelayAdapter> eventsAdapter_;
  MacroRecorder recorder_;
  MacroPage macroPage_;
  SingleKeyPage singleKeyPage_;
  MediaKeyPage mediaKeyPage_;
  ShortcutPage shortcutPage_;
  // In the order of the tabs.
  std::array<DialogPage*, 4> pages_;
  HookSession hook_;

  // Controls of the window, not owned; set at initialisation, cleared when the window goes.
  controls::STabCtrl2* tabs_ = nullptr;
  ui::SStatic* keysText_ = nullptr;
  ui::SStatic* freeSlots_ = nullptr;
};

}  // namespace keyloom::macro

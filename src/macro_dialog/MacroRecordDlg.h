#pragma once

#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "keymap/KeyContent.h"
#include "macro/AssignmentStore.h"
#include "macro/IKeyboardHookListener.h"
#include "macro/KeyboardHook.h"
#include "macro/MacroLibrary.h"
#include "macro/MacroRecorder.h"
#include "macro_dialog/IOnMacroGroupClickedListener.h"
#include "protocol/Clock.h"
#include "protocol/KeyboardState.h"
#include "protocol/SelectedKeys.h"
#include "settings/AppConfig.h"
#include "storage/EditResult.h"
#include "storage/FileResult.h"
#include "storage/OpenReport.h"
#include "ui/host/SHostDialog.h"

namespace keyloom::ui {
class SComboBox;
class SEdit;
class SListView;
class SMcListView;
class SStatic;
class SWindow;
}  // namespace keyloom::ui

namespace keyloom::controls {
class SKeyCaps;
class STabCtrl2;
}  // namespace keyloom::controls

namespace keyloom::macro {

class CMacroGroupAdapter;
class KeyAndDelayAdapter;

// The key assignment dialog (LAYOUT:macro): decides what the picked keys do, on one of four
// pages, and edits the macro library on the way. Run modally with Exec; its result:
// - kResultOk (btnOK): the choice (Chosen()) is made of what the page shown picks
//   (keymap/ContentBuilder.h); without content no valid choice was made (on the macro page OK
//   does nothing while the repeat count is refused);
// - kResultCancel (btnCancel, or the window closed): nothing;
// - kResultDelete (btnDelete): the picked keys are to lose what they were given.
//
// Every change to the library is saved at once to the library's file; the dialog's choices
// (page, repeat count, delay mode, catalogue entries, single key, macro row) are kept in the
// process's AssignmentStore, so that the next dialog opens as this one was left; opening it and
// looking change no file. Every change of the library is a locked update of its file
// (MacroLibrary::Update): when another program changed the file, the dialog shows it again, its
// shown group and selected row found by name, before the change is made. It captures keystrokes
// (the keyboard hook installed, on Linux the keyboard taken) only while they are of use: on the
// macro page, while "chk_macro_record" is checked, keystrokes become events of the shown group;
// on the single-key page the key pressed becomes the key to assign (MacroRecorder). A save that
// fails is shown in "text_file_problem", as is a file that could not be read, imported or
// exported, or an import that left groups out.
//
// What the dialog tells besides: how many of the profile's macro slots are free and that a
// remap needs one too ("text_free_slots", from the keyboard state it is given); why a repeat
// count is refused ("text_repeat_problem": it takes 1 to 255 only and keeps the count last taken
// in the store; OK on the macro page leaves the dialog open meanwhile); the keys that the chosen
// media key or shortcut sends ("img_media_keys", "img_function_keys", and each shortcut's keys in
// its drop-down list). The macro files' dialogs open in the folder last used (the store's
// "folder"), else in the user's documents.
class MacroRecordDlg : public ui::SHostDialog,
                       public IKeyboardHookListener,
                       public IOnMacroGroupClickedListener {
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
    // The keyboard as the main window last read it, whose slot table tells how many macro slots
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
  // Shows the events of the group at `row` (none for a row outside the groups).
  void OnMacroGroupClicked(int row, std::string_view name) override;

 private:
  void FindControls();
  void SubscribeControls();
  void FillCatalogues();
  // The store's choices as `current` makes them, in memory only; a choice that the library or
  // the catalogues no longer hold stays as it was.
  void TakeCurrentContent(const keymap::KeyContent& current);
  void ShowStoredChoices();
  // The room left in the macro slots for the keys being assigned.
  void ShowFreeSlots();
  // The keys of the chosen media key and shortcut.
  void ShowMediaKeyPicture();
  void ShowShortcutPicture();
  // Why the repeat count is refused, if it is.
  void ShowRepeatCheck();
  [[nodiscard]] bool RepeatTaken() const;

  void OnPageChanged(int page);
  // Clears "chk_macro_record", as a click on it would.
  void StopRecording();
  // Whether the user works the dialog from the keyboard: the control that has the focus got it
  // from the keyboard and shows its focus mark.
  [[nodiscard]] bool WorkedFromKeyboard() const;
  // Captures keystrokes (installs the hook) only on the single-key page and while recording on
  // the macro page; elsewhere the keyboard is left to the desktop.
  void UpdateCapture();
  // Another program changed the library file and the library read it again.
  void OnLibraryReloaded(const MacroNode& previousRoot);
  void OnRecordClicked();
  void OnDelayModeClicked(int mode);
  void OnRepeatChanged();
  void OnDelayChanged();

  void AddGroup();
  void DeleteGroup();
  void SelectGroupRow(int row);
  void RememberGroupRow();
  void MoveEventUp();
  void MoveEventDown();
  void ImportLibrary();
  void ExportLibrary();
  // The folder of a macro file the user chose is where the file dialogs open next time.
  void RememberFolder(const std::filesystem::path& file);
  // The choice of the page shown.
  void TakeChoice();

  // Installs the hook (when it is not) and makes sure the dialog listens to it.
  void InstallHook();
  // Stops listening, removes the hook and lets the capture window go.
  void StopListening();

  // Saves the store; a failure is shown until a save works.
  void SaveStore();
  // A save of the library: a failure is shown until a save works.
  void NoteLibrarySave(const storage::EditResult& edit);
  void NoteLibrarySave(const storage::FileResult& saved);
  // A file that could not be read, imported or exported (`text` null: none any more).
  void NoteProblem(const char* text, const std::string& details);
  // Shows the problem that matters most in "text_file_problem", translated, its details as
  // tooltip; hides it when there is none.
  void ShowProblems();

  const protocol::SelectedKeys& keys_;
  Choice choice_;
  AssignmentStore& store_;
  bool usesGlobalStore_;
  KeyboardHook& hook_;
  bool usesProcessHook_;
  const settings::AppConfig& config_;
  const protocol::KeyboardState* keyboard_;
  const keymap::KeyContent* current_;
  MacroLibrary library_;
  storage::OpenReport libraryReport_;
  std::shared_ptr<CMacroGroupAdapter> groupsAdapter_;
  // Made with the dialog: the recorder appends to its events.
  std::shared_ptr<KeyAndDelayAdapter> eventsAdapter_;
  MacroRecorder recorder_;
  // The dialog is the window of the program's keystroke capture.
  bool holdsCaptureWindow_ = false;
  // The details of the problems shown; empty: none.
  QString libraryProblem_;
  QString storeProblem_;
  const char* problemText_ = nullptr;
  QString problem_;

  // Controls of the window, not owned; set at initialisation, cleared when the window goes.
  ui::SStatic* keysText_ = nullptr;
  controls::STabCtrl2* pages_ = nullptr;
  ui::SListView* groupList_ = nullptr;
  ui::SMcListView* eventList_ = nullptr;
  ui::SEdit* repeatEdit_ = nullptr;
  ui::SEdit* delayEdit_ = nullptr;
  // The boxes of the delay modes (DelayMode): real, fixed, none.
  std::array<ui::SWindow*, 3> delayModeBoxes_{};
  ui::SWindow* recordBox_ = nullptr;
  ui::SWindow* singleRecordBox_ = nullptr;
  ui::SStatic* singleKeyText_ = nullptr;
  // On the single-key page, worked from the keyboard (opened from it, or the focus moved with
  // it), the capture takes one key press and never Escape, which cancels; the keys after it move
  // the focus and press the buttons again (Tab to OK), until the page is shown again. With the
  // mouse every key press is captured while the page is shown. A recording on the macro page
  // worked from the keyboard ends with Escape.
  bool openedFromKeyboard_ = false;
  bool singleKeyTaken_ = false;
  // A recording started from the keyboard records no key release before its first key press.
  bool awaitingFirstPress_ = false;
  // Ends a recording once the hook has answered for the Escape that asked for it.
  QTimer stopRecording_;
  ui::SComboBox* mediaKeys_ = nullptr;
  ui::SComboBox* functionKeys_ = nullptr;
  ui::SStatic* fileProblem_ = nullptr;
  ui::SStatic* repeatProblem_ = nullptr;
  ui::SStatic* freeSlots_ = nullptr;
  controls::SKeyCaps* mediaPicture_ = nullptr;
  controls::SKeyCaps* shortcutPicture_ = nullptr;
};

}  // namespace keyloom::macro

#pragma once

#include <QString>
#include <filesystem>
#include <optional>

#include "connection/KeyboardBackup.h"
#include "connection/KeyboardConnection.h"
#include "ui/host/PopupMenu.h"

namespace keyloom::app {

class WindowPort;

// The whole keyboard from the main window: a backup of every profile to a file the user names
// ("Back up keyboard…" of the "more" menu), the keyboard made to hold such a backup again
// ("Restore keyboard…"), and the shown profile copied onto another ("Copy profile…" beside the
// profile list). A restore or copy asks first, shows its progress in a modal dialog that can
// cancel it between two changes, and ends with a summary; the window then shows the profile the
// keyboard is left on, its keys marked, and the lighting the keyboard now has. It works on the
// connection, which the window follows, and asks the window only for what its port offers.
class KeyboardBackupFlow {
 public:
  // The named items of the "more" menu, the copy button beside "cmb_profile", and its menu,
  // whose items are named kCopyItemPrefix + the profile number, with the ids kFirstCopyCommand
  // + the profile index.
  static constexpr const char* kBackupItem = "backup_keyboard";
  static constexpr const char* kRestoreItem = "restore_keyboard";
  static constexpr const char* kCopyButton = "btn_copy_profile";
  static constexpr const char* kCopyMenu = "SMENUEX:menu_copy_profile";
  static constexpr const char* kCopyItemPrefix = "copy_to_profile";
  static constexpr int kFirstCopyCommand = 101;

  // Texts; shown translated. Places: %1, %2, ... as QString::arg fills them.
  static constexpr const char* kBackupCaption = "Back up keyboard";
  static constexpr const char* kRestoreCaption = "Restore keyboard";
  static constexpr const char* kCopyCaption = "Copy profile";
  static constexpr const char* kFileFilterLabel = "Keyloom backups";
  static constexpr const char* kBackedUpText =
      "The keyboard was backed up to %1. Assigned keys: profile 1: %2, profile 2: %3, profile "
      "3: %4.";
  static constexpr const char* kBackupUnknownText =
      "What these keys do is not known (they were assigned elsewhere), so the backup holds only "
      "that they are assigned, and a restore cannot bring it back: %1";
  static constexpr const char* kBackupNotReadText =
      "The key table of profile %1 did not arrive whole, so no backup was written.";
  static constexpr const char* kBackupNotWrittenText = "No backup was written: %1";
  static constexpr const char* kBackupNotRegularText =
      "No backup was written: %1 is not a regular file (a folder, a device or a pipe), and "
      "Keyloom writes a backup only to a new file or over a regular file.";
  static constexpr const char* kBackupReadOnlyText =
      "No backup was written: %1 is read-only, and Keyloom does not write over it.";
  static constexpr const char* kNoFileText =
      "There is no file %1. Nothing was sent to the keyboard.";
  static constexpr const char* kRefusedFileText =
      "This file cannot be restored: %1 Nothing was sent to the keyboard.";
  static constexpr const char* kOtherModelText =
      "%1 is a backup of another keyboard model (vendor id %2, product id %3). Nothing was sent "
      "to the keyboard.";
  static constexpr const char* kRestoreQuestionText =
      "Restore the keyboard from %1? The key assignments of all three profiles and the lighting "
      "on the keyboard are replaced by the backup's.";
  static constexpr const char* kRestoreButtonText = "Restore backup";
  static constexpr const char* kCopyQuestionText =
      "Copy profile %1 to profile %2? The key assignments of profile %2 are replaced by those of "
      "profile %1.";
  static constexpr const char* kStepKeyText = "Profile %1: %2";
  static constexpr const char* kStepFreeText = "Profile %1: freeing the slot of %2";
  static constexpr const char* kStepLightingText = "Lighting: %1";
  static constexpr const char* kRestoredText =
      "The keyboard holds the backup: %1 changes sent, %2 already in place.";
  static constexpr const char* kCopiedText =
      "Profile %1 holds what profile %2 holds: %3 changes sent, %4 already in place.";
  static constexpr const char* kCancelledText =
      "Cancelled after %1 of %2 changes. What arrived is kept; the rest was not sent.";
  static constexpr const char* kNotArrivedText = "Not everything arrived. Not as it should be: %1";
  static constexpr const char* kNotReadText =
      "The key table of profile %1 could not be read, so nothing was sent.";
  static constexpr const char* kUnreadAfterText =
      "The key table of profile %1 did not arrive whole afterwards: whether it holds what it "
      "should is not known.";
  static constexpr const char* kNotRestoredUnknownText =
      "Not restored, since the backup holds only that they are assigned: %1";
  static constexpr const char* kNotCopiedUnknownText =
      "Not copied, since what they do is not known (they were assigned elsewhere): %1";
  static constexpr const char* kKeyInProfileText = "%1 (profile %2)";
  static constexpr const char* kLightingOfText = "the lighting of %1";

  KeyboardBackupFlow(connection::KeyboardConnection& connection, WindowPort& window);

  KeyboardBackupFlow(const KeyboardBackupFlow&) = delete;
  KeyboardBackupFlow& operator=(const KeyboardBackupFlow&) = delete;

  // A command event of the window named `name`: the two items of the "more" menu, the copy
  // button and the items of its menu. False, doing nothing, for any other name.
  bool OnCommand(const QString& name);
  // The "more" menu's items are greyed out while the keyboard is not connected.
  static void OnInitMenu(ui::PopupMenu& menu, bool connected);

  // Reads every profile of the keyboard and writes them, with the lighting, to a file the user
  // chooses; then says what came of it.
  void BackUp();
  // Reads a backup the user chooses, asks, and makes the keyboard hold it.
  void RestoreFromFile();
  // The copy button's menu, under the button: one item for each other profile than the one
  // shown.
  void ShowCopyMenu();
  [[nodiscard]] static std::optional<ui::PopupMenu> CopyMenu(int shownProfile);
  // Asks, then makes profile `to` (0-2) hold what the shown profile holds.
  void CopyProfile(int to);

  // The next file dialog shows nothing and answers `fileName` (empty: cancelled).
  static void SetNextFileName(const QString& fileName);

 private:
  std::optional<std::filesystem::path> ChooseFile(bool save, const char* caption);
  // Runs the restore with the progress dialog; the window then shows the keyboard as it is.
  connection::RestoreReport RunRestore(const connection::RestoreGoal& goal, const char* caption,
                                       std::size_t& made, std::size_t& total);
  void ShowKeyboard();
  // What the window says after a restore, given what it says when everything arrived.
  [[nodiscard]] QString Summary(const connection::RestoreReport& report, const QString& done,
                                std::size_t made, std::size_t total) const;
  [[nodiscard]] QString LedModeName(int ledMode) const;
  [[nodiscard]] QString StepText(const connection::RestoreStep& step) const;
  // Whether what a summary tells went as it should; a message box with trouble shows a warning.
  enum class Outcome { kFine, kTrouble };
  [[nodiscard]] static Outcome TroubleIf(bool trouble) {
    return trouble ? Outcome::kTrouble : Outcome::kFine;
  }
  void Say(const QString& text, const char* caption, Outcome outcome);

  connection::KeyboardConnection& connection_;
  WindowPort& window_;
  // The folder of the backup last chosen, where the next file dialog opens.
  QString lastFolder_;
  // Why the last restore's change could not be recorded, if it could not.
  std::optional<connection::KeyboardConnection::RecordFailure> recordFailure_;
};

}  // namespace keyloom::app

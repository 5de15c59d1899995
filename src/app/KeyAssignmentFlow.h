#pragma once

#include <QString>
#include <QStringList>

#include "connection/KeyboardConnection.h"
#include "macro_dialog/MacroRecordDlg.h"
#include "protocol/KeyboardProtocol.h"

namespace keyloom::app {

class WindowPort;

// What happens when a key of the keyboard picture is clicked: the key assignment dialog opens
// for the key, what the user decides there goes to the keyboard, and the window says what came
// of it.
class KeyAssignmentFlow {
 public:
  // Texts that tell what became of a change the keyboard was sent; shown translated. %1 is the
  // key's name, %2 what it was given.
  static constexpr const char* kPlaysText = "%1 now plays “%2”";
  static constexpr const char* kSendsText = "%1 now sends “%2”";
  static constexpr const char* kAssignedText = "%1 has its new assignment";
  static constexpr const char* kShortenedText = "The macro was shortened to 82 events";
  static constexpr const char* kChooseMacroText = "Nothing was assigned: choose a macro first";
  static constexpr const char* kPressKeyText =
      "Nothing was assigned: press the key it should send first";
  static constexpr const char* kChooseEntryText = "Nothing was assigned: choose an entry first";
  static constexpr const char* kRemovedText = "%1 has no assignment any more";
  static constexpr const char* kHadNothingText = "%1 had no assignment";
  static constexpr const char* kSlotsUnknownText =
      "The keyboard's key table could not be read, so nothing was changed.";
  static constexpr const char* kNotTakenText = "The keyboard did not take the assignment";
  static constexpr const char* kNotRemovedText = "The keyboard did not remove the assignment";
  static constexpr const char* kUnconfirmedText =
      "The keyboard's answer was incomplete: whether it took the change is not known.";

  // What the flow works on: the connection, whose profile and slot table the dialog starts
  // from and the change goes to (the window follows it), and the window's port, which owns the
  // dialog and the message boxes and tells what came of it.
  struct Context {
    connection::KeyboardConnection& keyboardConnection;
    WindowPort& window;
    // The current entry of "cmb_profile", which a remap goes into; -1 for none.
    int profileEntry = -1;
    // The dialog's files, hook, clock and catalogues; unset: the program's own.
    macro::MacroRecordDlg::Environment dialog;
  };

  // A press (nothing happens) or a release on the key `id` named `name`: the dialog runs
  // modally, opened on what the key does now when the key map knows it; OK assigns its record to
  // the key (a macro into a macro slot, anything else as a remap; "Insufficient space, please
  // delete the record button first." when the key finds no macro slot), delete removes the key's
  // assignment, cancel sends nothing. Either change first selects the shown profile and reads its
  // slots again, so that it starts from what the keyboard holds now. After OK or delete the window
  // tells what came of it (OutcomeTexts). The picture then shows the key slots as read (a
  // dialog closed without a change marks them again, for the macros it may have changed).
  // Answers false, so that the picture's own selection still applies.
  static bool OnCoordButtonClick(Context& context, int id, const QString& name, int event);

  // What the window tells after an assignment of `choice` (`removal` false) or a removal of the
  // key named `keyName`, translated: what the key does now ("F5 now plays “Copy”" for a macro or
  // a key combination, "F5 now sends “Esc”" for a key or a media key, the catalogue's names
  // translated; and that the macro was shortened), that nothing was chosen on the dialog's page,
  // or why nothing, or not all, was done. Nothing for kNoSpace, which has its own message box.
  [[nodiscard]] static QStringList OutcomeTexts(const protocol::AssignmentResult& result,
                                                bool removal, const QString& keyName,
                                                const macro::MacroRecordDlg::Choice& choice);
};

}  // namespace keyloom::app

#pragma once

#include <QString>
#include <functional>

#include "connection/KeyboardConnection.h"
#include "macro_dialog/MacroRecordDlg.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/KeyboardState.h"
#include "protocol/SelectedKeys.h"

class QWidget;

namespace keyloom::app {

// What happens when a key of the keyboard picture is clicked: the key assignment dialog opens
// for the key, and what the user decides there goes to the keyboard.
class KeyAssignmentFlow {
 public:
  // Texts that tell what became of a change the keyboard was sent; shown translated.
  static constexpr const char* kSlotsUnknownText =
      "The keyboard's key table could not be read, so nothing was changed.";
  static constexpr const char* kNotTakenText = "The keyboard did not take the assignment";
  static constexpr const char* kNotRemovedText = "The keyboard did not remove the assignment";
  static constexpr const char* kUnconfirmedText =
      "The keyboard's answer was incomplete: whether it took the change is not known.";

  // The main window's part in it.
  struct Context {
    connection::KeyboardConnection& keyboardConnection;
    protocol::KeyboardState& keyboard;
    // The keys the dialog is opened for; empty again afterwards.
    protocol::SelectedKeys& selectedKeys;
    // The current entry of "cmb_profile", which a remap goes into; -1 for none.
    int profileEntry = -1;
    // Owns the dialog and the message boxes: the main window.
    QWidget* owner = nullptr;
    // Marks the keys of keyboard.slots on the keyboard picture and clears the others.
    std::function<void()> markAssignedKeys;
    // Tells the user a text (untranslated) without stopping them: the tray balloon or the
    // notice line.
    std::function<void(const char* text)> tell;
    // The dialog's files, hook, clock and catalogues; unset: the program's own.
    macro::MacroRecordDlg::Environment dialog;
  };

  // A press (nothing happens) or a release on the key `id` named `name`: the dialog runs
  // modally; OK assigns its record to the key (a macro into a macro slot, anything else as a
  // remap; "Insufficient space, please delete the record button first." when the key finds no
  // macro slot), delete removes the key's assignment, cancel sends nothing. Either change first
  // selects the shown profile and reads its slots again, so that it starts from what the
  // keyboard holds now, and a change the keyboard did not take is told. The picture then shows
  // the key slots as read. Answers false, so that the picture's own selection still applies.
  static bool OnCoordButtonClick(Context& context, int id, const QString& name, int event);

  // The text that tells the user what became of a change, or null when there is nothing to
  // tell (done, or nothing to assign). kNoSpace has its own message box.
  [[nodiscard]] static const char* OutcomeText(const protocol::AssignmentResult& result,
                                               bool removal);
};

}  // namespace keyloom::app

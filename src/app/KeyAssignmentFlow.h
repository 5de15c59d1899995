#pragma once

#include <QString>
#include <functional>

#include "macro_dialog/MacroRecordDlg.h"
#include "protocol/KeyboardState.h"
#include "protocol/Link.h"
#include "protocol/SelectedKeys.h"

class QWidget;

namespace keyloom::app {

// What happens when a key of the keyboard picture is clicked: the key assignment dialog opens
// for the key, and what the user decides there goes to the keyboard.
class KeyAssignmentFlow {
 public:
  // The main window's part in it.
  struct Context {
    protocol::Link& link;
    protocol::KeyboardState& keyboard;
    // The keys the dialog is opened for; empty again afterwards.
    protocol::SelectedKeys& selectedKeys;
    // The current entry of "cmb_profile", which a remap goes into; -1 for none.
    int profileEntry = -1;
    // Owns the dialog and the message boxes: the main window.
    QWidget* owner = nullptr;
    // Marks the keys of keyboard.slots on the keyboard picture and clears the others.
    std::function<void()> markAssignedKeys;
    // The dialog's files, hook, clock and catalogues; unset: the program's own.
    macro::MacroRecordDlg::Environment dialog;
  };

  // A press (nothing happens) or a release on the key `id` named `name`: the dialog runs
  // modally; OK assigns its record to the key (a macro into a macro slot, anything else as a
  // remap; "Insufficient space, please delete the record button first." when the key finds no
  // macro slot), delete removes the key's assignment, cancel sends nothing. The picture then
  // shows the key slots as read. Answers false, so that the picture's own selection still
  // applies.
  static bool OnCoordButtonClick(Context& context, int id, const QString& name, int event);
};

}  // namespace keyloom::app

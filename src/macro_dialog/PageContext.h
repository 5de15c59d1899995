#pragma once

#include "macro/AssignmentStore.h"
#include "macro_dialog/FileProblemLine.h"

namespace keyloom::macro {

// What the pages of the key assignment dialog share: the store of the dialog's choices, to which
// every choice the user makes is saved at once; the line that tells of files that could not be
// saved or read; and whether the user works the dialog from the keyboard. The dialog makes it
// and outlives its pages.
class PageContext {
 public:
  PageContext(AssignmentStore& store, FileProblemLine& problems)
      : store_(store), problems_(problems) {}

  [[nodiscard]] AssignmentStore& Store() const { return store_; }
  [[nodiscard]] FileProblemLine& Problems() const { return problems_; }

  // Saves the store; a failure is shown until a save works.
  void SaveStore() const;

  // The dialog opens: one opened from the keyboard (Enter on a key of the picture) is worked from
  // it for as long as it is open.
  void NoteOpening();
  // Whether the user works the dialog from the keyboard: it was opened from the keyboard, or the
  // control that has the focus got it from the keyboard and shows its focus mark.
  [[nodiscard]] bool WorkedFromKeyboard() const;

 private:
  AssignmentStore& store_;
  FileProblemLine& problems_;
  bool openedFromKeyboard_ = false;
};

}  // namespace keyloom::macro

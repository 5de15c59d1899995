#include "macro_dialog/PageContext.h"

#include "ui/widgets/SWindow.h"

namespace keyloom::macro {

void PageContext::SaveStore() const {
  problems_.NoteStoreSave(store_.Save());
}

void PageContext::NoteOpening() {
  openedFromKeyboard_ = WorkedFromKeyboard();
}

bool PageContext::WorkedFromKeyboard() const {
  const ui::SWindow* focused = ui::SWindow::FocusedControl();
  return openedFromKeyboard_ || (focused != nullptr && focused->ShowsFocusMark());
}

}  // namespace keyloom::macro

#pragma once

#include <QString>

namespace keyloom::ui {

class SWindow;

// One control event on its way from the sender up to the host window. A handler that deals with
// it sets `handled`, which stops it.
struct EventArgs {
  int eventId = 0;
  // The control that fired it; null for a named item of an extended menu, which has no control.
  SWindow* sender = nullptr;
  int senderId = 0;
  QString senderName;
  bool handled = false;
  int index = -1;          // the tab, entry, row or column concerned
  int previousIndex = -1;  // the selection before a selection change
  int code = 0;            // notification code (kRichEditTextChanged)
  int value = 0;           // slider position
};

}  // namespace keyloom::ui

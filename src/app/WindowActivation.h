#pragma once

class QWidget;

namespace keyloom::app {

// Brings a top-level window to the user: restored when minimised, shown when hidden, raised and
// made the active window.
void BringToFront(QWidget& window);

}  // namespace keyloom::app

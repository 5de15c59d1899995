#pragma once

#include <thread>

namespace keyloom::app {

// Opens the connection to the desktop's session bus on a thread of its own. On Linux, Qt's
// accessibility bridge opens it when the first control's text is set, and the window's thread
// waits for it there: a few milliseconds on a desktop, more where no bus runs and D-Bus first
// tries to start one. Begun right after the application object is made, the connection is ready
// by the time the controls are, and the bridge takes it as it is (connected or not). The thread
// ends with the connection made. Windows has no session bus, and Qt's platforms without a display
// no bridge: no thread is started there.
[[nodiscard]] std::jthread ConnectSessionBusAside();

}  // namespace keyloom::app

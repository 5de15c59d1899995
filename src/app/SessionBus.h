#pragma once

#include <QProcessEnvironment>
#include <QStringList>
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

// Whether D-Bus, asked for the session bus in `environment`, would fork the program to run
// dbus-launch and could find none: no bus address is set and the runtime folder holds no "bus",
// there is an X display (D-Bus launches only for one), and no folder of `launcherFolders` nor of
// the PATH has dbus-launch. Always false on Windows, which has no session bus.
[[nodiscard]] bool SessionBusLaunchIsFutile(const QProcessEnvironment& environment,
                                            const QStringList& launcherFolders);

// Where a launch is futile, sets the program's bus address to one that D-Bus refuses at once, so
// that the connection fails as the launch would have, without forking a program that has
// threads and a window's memory (the fork costs milliseconds of the start: every page the program
// has written is copied or faulted again). Runs before the application object, while the program
// has no other thread; child programs inherit the address and meet the same missing bus.
void AvoidFutileSessionBusLaunch();

}  // namespace keyloom::app

#include <QDBusConnection>
#include <QGuiApplication>

#include "app/SessionBus.h"

namespace keyloom::app {

std::jthread ConnectSessionBusAside() {
  // Without a display (Qt's offscreen and minimal platforms) no bridge asks for the bus.
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1StringView("offscreen") || platform == QLatin1StringView("minimal")) {
    return {};
  }
  // Qt keeps the first connection to the session bus for every later asker, whatever its thread.
  return std::jthread([] { static_cast<void>(QDBusConnection::sessionBus()); });
}

}  // namespace keyloom::app

#include <QDBusConnection>

#include "app/SessionBus.h"

namespace keyloom::app {

std::jthread ConnectSessionBusAside() {
  // Qt keeps the first connection to the session bus for every later asker, whatever its thread.
  return std::jthread([] { static_cast<void>(QDBusConnection::sessionBus()); });
}

}  // namespace keyloom::app

#include "app/SessionBus.h"

namespace keyloom::app {

std::jthread ConnectSessionBusAside() {
  return {};
}

bool SessionBusLaunchIsFutile(const QProcessEnvironment& /*environment*/,
                              const QStringList& /*launcherFolders*/) {
  return false;
}

void AvoidFutileSessionBusLaunch() {}

}  // namespace keyloom::app

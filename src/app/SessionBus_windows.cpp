#include "app/SessionBus.h"

namespace keyloom::app {

std::jthread ConnectSessionBusAside() {
  return {};
}

}  // namespace keyloom::app

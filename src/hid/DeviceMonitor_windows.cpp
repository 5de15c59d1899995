#include "hid/DeviceMonitor.h"

namespace keyloom::hid {

// Windows sends WM_DEVICECHANGE to every top-level window (IsDeviceChangeMessage); nothing needs
// to be opened for it.
std::unique_ptr<DeviceMonitor> OpenDeviceMonitor() {
  return nullptr;
}

}  // namespace keyloom::hid

#include "hid/DeviceChangeMessage.h"

namespace keyloom::hid {

// The display server's events never carry device changes; the udev monitor does.
bool IsDeviceChangeMessage(std::string_view /*eventType*/, const void* /*message*/) {
  return false;
}

}  // namespace keyloom::hid

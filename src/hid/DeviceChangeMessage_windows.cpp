#include <windows.h>

#include "hid/DeviceChangeMessage.h"

namespace keyloom::hid {

namespace {

// The kind of native message that a window receives with a MSG (Qt's name for it).
constexpr std::string_view kWindowMessage = "windows_generic_MSG";
constexpr UINT kDeviceChange = 0x0219;  // WM_DEVICECHANGE

}  // namespace

bool IsDeviceChangeMessage(std::string_view eventType, const void* message) {
  if (message == nullptr || eventType != kWindowMessage) {
    return false;
  }
  return static_cast<const MSG*>(message)->message == kDeviceChange;
}

}  // namespace keyloom::hid

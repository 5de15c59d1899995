#pragma once

#include <string_view>

namespace keyloom::hid {

// Whether a native window message, as the GUI toolkit hands it over (`eventType` names its kind,
// `message` points at it), tells that the set of devices changed: on Windows WM_DEVICECHANGE
// (0x0219) of any event type, which the system sends to every top-level window. Always false on
// Linux, where the device monitor (DeviceMonitor.h) tells instead.
[[nodiscard]] bool IsDeviceChangeMessage(std::string_view eventType, const void* message);

}  // namespace keyloom::hid

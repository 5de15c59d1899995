#pragma once

#include <memory>

namespace keyloom::hid {

// Changes of the machine's HID nodes as the platform announces them, for a program that waits
// for them in its own event loop: the descriptor becomes readable while changes are pending.
// Linux: a udev monitor of the "hidraw" subsystem, fed once udev's rules have run, so that a new
// node already has its permissions. Windows tells every top-level window instead
// (IsDeviceChangeMessage) and has no monitor.
class DeviceMonitor {
 public:
  virtual ~DeviceMonitor() = default;

  // Non-blocking; readable while changes are pending.
  [[nodiscard]] virtual int fd() const = 0;

  // Takes every pending change without waiting and answers how many there were: one per node
  // that came or went.
  virtual int DrainEvents() = 0;
};

// The platform's monitor; nullptr where there is none or it cannot be set up (no udev).
std::unique_ptr<DeviceMonitor> OpenDeviceMonitor();

}  // namespace keyloom::hid

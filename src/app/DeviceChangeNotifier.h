#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "hid/DeviceMonitor.h"

namespace keyloom::app {

// Brings the device monitor's changes into the event loop: whenever the monitor has changes
// pending, they are taken and `onChange` runs once for each, on the thread that made the
// notifier (the UI thread).
class DeviceChangeNotifier {
 public:
  DeviceChangeNotifier(std::unique_ptr<hid::DeviceMonitor> monitor, std::function<void()> onChange);

  DeviceChangeNotifier(const DeviceChangeNotifier&) = delete;
  DeviceChangeNotifier& operator=(const DeviceChangeNotifier&) = delete;

 private:
  void TakeChanges();

  std::unique_ptr<hid::DeviceMonitor> monitor_;
  std::function<void()> onChange_;
  QSocketNotifier notifier_;
};

}  // namespace keyloom::app

#include "app/DeviceChangeNotifier.h"

#include <utility>

namespace keyloom::app {

DeviceChangeNotifier::DeviceChangeNotifier(std::unique_ptr<hid::DeviceMonitor> monitor,
                                           std::function<void()> onChange)
    : monitor_(std::move(monitor)),
      onChange_(std::move(onChange)),
      notifier_(monitor_->fd(), QSocketNotifier::Read) {
  QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { TakeChanges(); });
}

void DeviceChangeNotifier::TakeChanges() {
  // Every pending change is taken before the first one is handled, so that the descriptor is
  // quiet again while the handlers run (they block on the keyboard's pauses).
  const int changes = monitor_->DrainEvents();
  for (int i = 0; i < changes; ++i) {
    onChange_();
  }
}

}  // namespace keyloom::app

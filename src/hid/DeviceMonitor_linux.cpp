#include <memory>

#include <fcntl.h>
#include <libudev.h>

#include "hid/DeviceMonitor.h"

namespace keyloom::hid {
namespace {

constexpr const char* kSubsystem = "hidraw";
// Events after udev's rules ran; "kernel" would announce nodes before their permissions are set.
constexpr const char* kUdevEvents = "udev";

struct MonitorDeleter {
  void operator()(udev* u) const { udev_unref(u); }
  void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
  void operator()(udev_device* d) const { udev_device_unref(d); }
};
template <typename T>
using MonitorPtr = std::unique_ptr<T, MonitorDeleter>;

class UdevDeviceMonitor final : public DeviceMonitor {
 public:
  UdevDeviceMonitor(MonitorPtr<udev> context, MonitorPtr<udev_monitor> monitor, int fd)
      : context_(std::move(context)), monitor_(std::move(monitor)), fd_(fd) {}

  [[nodiscard]] int fd() const override { return fd_; }

  int DrainEvents() override {
    int count = 0;
    // On a non-blocking socket the receive answers null once nothing is pending.
    while (MonitorPtr<udev_device> device{udev_monitor_receive_device(monitor_.get())}) {
      ++count;
    }
    return count;
  }

 private:
  MonitorPtr<udev> context_;
  MonitorPtr<udev_monitor> monitor_;
  int fd_;
};

}  // namespace

std::unique_ptr<DeviceMonitor> OpenDeviceMonitor() {
  MonitorPtr<udev> context{udev_new()};
  if (!context) {
    return nullptr;
  }
  MonitorPtr<udev_monitor> monitor{udev_monitor_new_from_netlink(context.get(), kUdevEvents)};
  if (!monitor ||
      udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), kSubsystem, nullptr) < 0 ||
      udev_monitor_enable_receiving(monitor.get()) < 0) {
    return nullptr;
  }
  const int fd = udev_monitor_get_fd(monitor.get());
  if (fd < 0) {
    return nullptr;
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
    return nullptr;
  }
  return std::make_unique<UdevDeviceMonitor>(std::move(context), std::move(monitor), fd);
}

}  // namespace keyloom::hid

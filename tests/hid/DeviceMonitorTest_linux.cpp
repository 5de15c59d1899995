#include <memory>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>

#include "hid/DeviceMonitor.h"

namespace keyloom::hid {
namespace {

TEST(DeviceMonitorTest, WaitsInTheCallersLoopAndNeverBlocks) {
  const std::unique_ptr<DeviceMonitor> monitor = OpenDeviceMonitor();
  if (!monitor) {
    // A container or a build chroot without udev: the program then learns of no device change.
    GTEST_SKIP() << "udev cannot be reached here";
  }
  ASSERT_GE(monitor->fd(), 0);
  EXPECT_NE(fcntl(monitor->fd(), F_GETFL) & O_NONBLOCK, 0);

  // Whatever is pending now is taken at once; afterwards a drain answers 0 instead of waiting
  // for the next change, and the descriptor is no longer readable.
  monitor->DrainEvents();
  EXPECT_EQ(monitor->DrainEvents(), 0);
  pollfd idle{monitor->fd(), POLLIN, 0};
  EXPECT_EQ(poll(&idle, 1, 0), 0);
}

}  // namespace
}  // namespace keyloom::hid

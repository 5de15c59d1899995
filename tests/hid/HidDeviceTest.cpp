#include <cerrno>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FakeHid.h"
#include "hid/HidDevice.h"

namespace keyloom::hid {
namespace {

using test::EventLog;
using test::FakeBackend;
using test::FakeGate;
using ::testing::ElementsAre;

constexpr DeviceSelector kKeyboard{0x258a, 0x002a, 1, 2};
constexpr Report kFrame{0x07, 0xfc, 0x01, 0, 0, 0, 0, 0};

class HidDeviceTest : public ::testing::Test {
 protected:
  HidDeviceTest() {
    backend.AddInterface("/dev/hidraw5");
    backend.AddInterface("/dev/hidraw4");
  }

  // Opens the device and forgets what that logged.
  void OpenFirst() {
    ASSERT_TRUE(device.Open(kKeyboard));
    log.events.clear();
    traces.clear();
  }

  EventLog log;
  FakeBackend backend{log};
  FakeGate gate{log};
  std::vector<std::string> traces;
  HidDevice device{backend, gate, [this](std::string_view line) { traces.emplace_back(line); }};
};

TEST_F(HidDeviceTest, OpenPassesTheGateThenOpensTheFirstInterfaceFound) {
  EXPECT_TRUE(device.Open(kKeyboard));
  EXPECT_THAT(log.events, ElementsAre("gate", "find", "open /dev/hidraw5"));
  EXPECT_EQ(device.state(), HidDevice::State::kOpen);
  EXPECT_EQ(device.lastOpenPath(), "/dev/hidraw5");
  EXPECT_EQ(device.lastOpenError(), OpenError::kNone);
  ASSERT_EQ(backend.selectors.size(), 1u);
  EXPECT_EQ(backend.selectors[0].collectionNumber, 2);
  EXPECT_THAT(traces, ElementsAre("discovery ran", "open dev: 00000003"));
}

TEST_F(HidDeviceTest, EveryTransferPassesTheGateFirst) {
  OpenFirst();
  Report reply{0x07};
  backend.getReply = {0x07, 1, 2, 3, 4, 5, 6, 7};
  EXPECT_TRUE(device.SetFeature(kFrame));
  EXPECT_TRUE(device.SetFeature(kFrame));
  EXPECT_TRUE(device.GetFeature(reply));
  device.PassDeviceGate();
  EXPECT_THAT(log.events,
              ElementsAre("gate", "set h1", "gate", "set h1", "gate", "get h1", "gate"));
  EXPECT_EQ(reply, backend.getReply);
}

TEST_F(HidDeviceTest, TransfersOnAClosedDeviceFailAfterTheGate) {
  Report buffer{0x07};
  EXPECT_FALSE(device.SetFeature(kFrame));
  EXPECT_FALSE(device.GetFeature(buffer));
  device.Close();
  EXPECT_THAT(log.events, ElementsAre("gate", "gate", "gate"));
  EXPECT_EQ(buffer, (Report{0x07}));
  EXPECT_EQ(device.state(), HidDevice::State::kClosed);
}

TEST_F(HidDeviceTest, PlatformFailuresAreReported) {
  OpenFirst();
  backend.transfersSucceed = false;
  Report buffer{0x07};
  EXPECT_FALSE(device.SetFeature(kFrame));
  EXPECT_FALSE(device.GetFeature(buffer));
  EXPECT_EQ(buffer, (Report{0x07}));
}

TEST_F(HidDeviceTest, OpenAgainClosesTheOldHandleOnlyAfterDiscoveryFoundOne) {
  OpenFirst();
  backend.interfaces.erase(backend.interfaces.begin());
  EXPECT_TRUE(device.Open(kKeyboard));
  EXPECT_THAT(log.events, ElementsAre("gate", "find", "close h1", "open /dev/hidraw4"));
  EXPECT_THAT(traces, ElementsAre("discovery ran", "open dev: 00000004"));
  log.events.clear();
  EXPECT_TRUE(device.SetFeature(kFrame));
  EXPECT_THAT(log.events, ElementsAre("gate", "set h2"));
}

TEST_F(HidDeviceTest, OpenWithNothingFoundKeepsTheOldHandle) {
  OpenFirst();
  backend.interfaces.clear();
  EXPECT_FALSE(device.Open(kKeyboard));
  EXPECT_EQ(device.state(), HidDevice::State::kOpen);
  EXPECT_TRUE(device.SetFeature(kFrame));
  EXPECT_THAT(log.events, ElementsAre("gate", "find", "gate", "set h1"));
  EXPECT_THAT(traces, ElementsAre("discovery ran"));
}

TEST_F(HidDeviceTest, AFailedOpenLeavesTheFailedStateUntilCloseOrTheNextOpen) {
  OpenFirst();
  backend.failingPaths.insert("/dev/hidraw5");
  EXPECT_FALSE(device.Open(kKeyboard));
  EXPECT_EQ(device.state(), HidDevice::State::kFailed);
  EXPECT_EQ(device.lastOpenPath(), "/dev/hidraw5");
  EXPECT_EQ(device.lastOpenError(), OpenError::kAccessDenied);
  EXPECT_EQ(device.lastNativeError(), EACCES);
  EXPECT_THAT(traces, ElementsAre("discovery ran", "open dev: ffffffff"));

  Report buffer{0x07};
  EXPECT_FALSE(device.SetFeature(kFrame));
  EXPECT_FALSE(device.GetFeature(buffer));
  EXPECT_THAT(log.events,
              ElementsAre("gate", "find", "close h1", "open /dev/hidraw5", "gate", "gate"));

  device.Close();
  EXPECT_EQ(device.state(), HidDevice::State::kClosed);

  backend.failingPaths.clear();
  EXPECT_TRUE(device.Open(kKeyboard));
  EXPECT_EQ(device.state(), HidDevice::State::kOpen);
  EXPECT_EQ(device.lastOpenError(), OpenError::kNone);
  EXPECT_EQ(device.lastNativeError(), 0);
}

TEST_F(HidDeviceTest, OpenLeavesTheFailedStateToo) {
  backend.failingPaths.insert("/dev/hidraw5");
  EXPECT_FALSE(device.Open(kKeyboard));
  backend.failingPaths.clear();
  EXPECT_TRUE(device.Open(kKeyboard));
  EXPECT_TRUE(device.SetFeature(kFrame));
}

TEST_F(HidDeviceTest, CloseDropsTheHandleAndCloseAgainOnlyPassesTheGate) {
  OpenFirst();
  device.Close();
  device.Close();
  EXPECT_THAT(log.events, ElementsAre("gate", "close h1", "gate"));
  EXPECT_FALSE(device.SetFeature(kFrame));
}

TEST_F(HidDeviceTest, DestructionClosesTheHandle) {
  {
    HidDevice scoped{backend, gate};
    ASSERT_TRUE(scoped.Open(kKeyboard));
  }
  EXPECT_EQ(log.events.back(), "close h1");
}

}  // namespace
}  // namespace keyloom::hid

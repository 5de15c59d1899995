#include <gtest/gtest.h>
#include <windows.h>

#include "hid/DeviceChangeMessage.h"
#include "hid/DeviceMonitor.h"

namespace keyloom::hid {
namespace {

constexpr const char* kWindowMessage = "windows_generic_MSG";

MSG Message(UINT id, WPARAM eventType = 0) {
  MSG message{};
  message.message = id;
  message.wParam = eventType;
  return message;
}

TEST(DeviceChangeMessageTest, EveryDeviceChangeCountsWhateverItsEventType) {
  for (const WPARAM eventType : {WPARAM{0x0007}, WPARAM{0x8000}, WPARAM{0x8004}, WPARAM{0}}) {
    const MSG message = Message(WM_DEVICECHANGE, eventType);
    EXPECT_TRUE(IsDeviceChangeMessage(kWindowMessage, &message)) << eventType;
  }
}

TEST(DeviceChangeMessageTest, OtherMessagesAndOtherKindsDoNot) {
  const MSG paint = Message(WM_PAINT);
  EXPECT_FALSE(IsDeviceChangeMessage(kWindowMessage, &paint));
  const MSG change = Message(WM_DEVICECHANGE);
  EXPECT_FALSE(IsDeviceChangeMessage("windows_dispatcher_MSG", &change));
  EXPECT_FALSE(IsDeviceChangeMessage(kWindowMessage, nullptr));
}

TEST(DeviceMonitorTest, WindowsNeedsNoMonitor) {
  EXPECT_EQ(OpenDeviceMonitor(), nullptr);
}

}  // namespace
}  // namespace keyloom::hid

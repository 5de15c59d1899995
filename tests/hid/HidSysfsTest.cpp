#include <gtest/gtest.h>

#include "HidTestData.h"
#include "hid/HidSysfs.h"

namespace keyloom::hid {
namespace {

TEST(HidSysfs, UeventWithoutAWellFormedIdIsRejected) {
  const char* const rejected[] = {
      "",
      "\n\n\n",
      "HID_NAME=Keyboard\nHID_PHYS=usb-0000:00:14.0-2/input1\n",
      "HID_ID=0003\n",
      "HID_ID=0003:0000258A\n",
      "HID_ID=0003:0000258A:\n",
      "HID_ID=:0000258A:0000002A\n",
      "HID_ID=0003:0000258G:0000002A\n",
      "HID_ID=0003:0000258A:0000002A:0001\n",
      "HID_ID=10003:0000258A:0000002A\n",  // bus beyond 16 bits
      "HID_ID=0003:100000000:0000002A\n",  // more than 8 digits
      "hid_id=0003:0000258A:0000002A\n",
      " HID_ID=0003:0000258A:0000002A\n",
  };
  for (const char* text : rejected) {
    EXPECT_FALSE(ParseHidUevent(text).has_value()) << text;
  }
  EXPECT_FALSE(ParseHidUevent(test::ReadHidFixture("uevent_garbage.bin")).has_value());
}

TEST(HidSysfs, UeventOfAUsbKeyboard) {
  const auto uevent = ParseHidUevent(test::ReadHidFixture("uevent_usb_interface1.txt"));
  ASSERT_TRUE(uevent.has_value());
  EXPECT_EQ(uevent->bus, kHidBusUsb);
  EXPECT_EQ(uevent->vendorId, 0x258Au);
  EXPECT_EQ(uevent->productId, 0x002Au);
  EXPECT_EQ(uevent->name, "Example Gaming Keyboard");
  EXPECT_EQ(uevent->phys, "usb-0000:00:14.0-2/input1");
  EXPECT_EQ(uevent->uniq, "");
}

TEST(HidSysfs, UeventToleratesMissingLineBreaksAndLowerCaseDigits) {
  const auto uevent = ParseHidUevent("HID_UNIQ=abc=def\nHID_ID=5:46d:b342");
  ASSERT_TRUE(uevent.has_value());
  EXPECT_EQ(uevent->bus, 0x0005);
  EXPECT_EQ(uevent->vendorId, 0x046Du);
  EXPECT_EQ(uevent->productId, 0xB342u);
  EXPECT_EQ(uevent->uniq, "abc=def");
}

TEST(HidSysfs, HexAttributes) {
  EXPECT_EQ(ParseSysfsHex("01\n", 0xFF), 1u);
  EXPECT_EQ(ParseSysfsHex("0a\n", 0xFF), 10u);
  EXPECT_EQ(ParseSysfsHex(" 0105 \n", 0xFFFF), 0x105u);
  EXPECT_EQ(ParseSysfsHex("ffff", 0xFFFF), 0xFFFFu);
  EXPECT_FALSE(ParseSysfsHex("", 0xFF));
  EXPECT_FALSE(ParseSysfsHex("\n", 0xFF));
  EXPECT_FALSE(ParseSysfsHex("100", 0xFF));
  EXPECT_FALSE(ParseSysfsHex("0x01", 0xFF));
  EXPECT_FALSE(ParseSysfsHex("1 2", 0xFF));
  EXPECT_FALSE(ParseSysfsHex("-1", 0xFF));
  EXPECT_FALSE(ParseSysfsHex("123456789", 0xFFFFFFFF));
}

TEST(HidSysfs, InterfaceNumberFromPhys) {
  EXPECT_EQ(InterfaceNumberFromPhys("usb-0000:00:14.0-2/input1"), 1);
  EXPECT_EQ(InterfaceNumberFromPhys("usb-0000:00:14.0-2.4/input12"), 12);
  EXPECT_EQ(InterfaceNumberFromPhys("uhid/input0/input255"), 255);
  EXPECT_FALSE(InterfaceNumberFromPhys(""));
  EXPECT_FALSE(InterfaceNumberFromPhys("aa:bb:cc:dd:ee:ff"));
  EXPECT_FALSE(InterfaceNumberFromPhys("usb-0000:00:14.0-2/input"));
  EXPECT_FALSE(InterfaceNumberFromPhys("usb-0000:00:14.0-2/input256"));
  EXPECT_FALSE(InterfaceNumberFromPhys("usb-0000:00:14.0-2/input1a"));
  EXPECT_FALSE(InterfaceNumberFromPhys("usb-0000:00:14.0-2/input0001"));
}

TEST(HidSysfs, StringAttributesLoseOneLineBreak) {
  EXPECT_EQ(SysfsString("Example Corp\n"), "Example Corp");
  EXPECT_EQ(SysfsString("Example Corp"), "Example Corp");
  EXPECT_EQ(SysfsString("two\n\n"), "two\n");
  EXPECT_FALSE(SysfsString("\n"));
  EXPECT_FALSE(SysfsString(""));
}

}  // namespace
}  // namespace keyloom::hid

#include <optional>

#include <gtest/gtest.h>

#include "HidTestData.h"
#include "hid/HidrawNode.h"

namespace keyloom::hid {
namespace {

constexpr DeviceSelector kAnyInterface{0, 0, -1, -1};

// The record that discovery makes of the node for the selector.
std::optional<HidInterfaceInfo> DescribeHidrawNode(const HidrawNode& node,
                                                   const DeviceSelector& selector) {
  return MatchListedInterface(ListHidrawNode(node), selector);
}

// The second interface of a USB keyboard with four top-level collections.
HidrawNode MultiCollectionNode() {
  HidrawNode node;
  node.devnode = "/dev/hidraw3";
  node.hidUevent = test::ReadHidFixture("uevent_usb_interface1.txt");
  node.reportDescriptor = test::ReadHexFixture("keyboard_multi_collection.hex");
  node.interfaceNumber = "01\n";
  node.releaseNumber = "0105\n";
  node.manufacturer = "Example Corp\n";
  node.product = "Example Gaming Keyboard\n";
  node.serial = "KB0001\n";
  return node;
}

HidrawNode BootInterfaceNode() {
  HidrawNode node = MultiCollectionNode();
  node.devnode = "/dev/hidraw2";
  node.reportDescriptor = test::ReadHexFixture("keyboard_boot_interface.hex");
  node.interfaceNumber = "00\n";
  return node;
}

TEST(HidrawNode, DescribesAUsbInterface) {
  const auto info = DescribeHidrawNode(MultiCollectionNode(), kAnyInterface);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->path, "/dev/hidraw3");
  EXPECT_EQ(info->interfaceClass, kHidInterfaceClass);
  EXPECT_EQ(info->interfaceFlags, 1u);
  EXPECT_EQ(info->vendorId, 0x258a);
  EXPECT_EQ(info->productId, 0x002a);
  EXPECT_EQ(info->releaseNumber, 0x0105);
  EXPECT_EQ(info->manufacturer, "Example Corp");
  EXPECT_EQ(info->product, "Example Gaming Keyboard");
  EXPECT_EQ(info->serialNumber, "KB0001");
  EXPECT_EQ(info->usagePage, 0x000c);
  EXPECT_EQ(info->usage, 0x0001);
}

TEST(HidrawNode, SeveralCollectionsStandForCollectionsOneToN) {
  const HidrawNode node = MultiCollectionNode();
  EXPECT_FALSE(DescribeHidrawNode(node, {0x258a, 0x002a, 1, 0}));
  EXPECT_FALSE(DescribeHidrawNode(node, {0x258a, 0x002a, 1, 5}));
  EXPECT_FALSE(DescribeHidrawNode(node, {0x258a, 0x002a, 0, 3}));

  const auto vendorCollection = DescribeHidrawNode(node, {0x258a, 0x002a, 1, 3});
  ASSERT_TRUE(vendorCollection.has_value());
  EXPECT_EQ(vendorCollection->usagePage, 0xff00);
  EXPECT_EQ(vendorCollection->usage, 0x0001);

  const auto keyboardCollection = DescribeHidrawNode(node, {0, 0, 1, 4});
  ASSERT_TRUE(keyboardCollection.has_value());
  EXPECT_EQ(keyboardCollection->usagePage, 0x0001);
  EXPECT_EQ(keyboardCollection->usage, 0x0006);
}

TEST(HidrawNode, ASingleCollectionHasNoCollectionField) {
  const HidrawNode node = BootInterfaceNode();
  EXPECT_FALSE(DescribeHidrawNode(node, {0x258a, 0x002a, 0, 1}));
  EXPECT_FALSE(DescribeHidrawNode(node, {0x258a, 0x002a, 0, 0}));
  const auto info = DescribeHidrawNode(node, {0x258a, 0x002a, 0, -1});
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->usagePage, 0x0001);
  EXPECT_EQ(info->usage, 0x0006);
}

TEST(HidrawNode, ABrokenDescriptorCountsAsNoCollectionAndUnknownUsage) {
  HidrawNode node = MultiCollectionNode();
  node.reportDescriptor.resize(node.reportDescriptor.size() - 1);
  EXPECT_FALSE(DescribeHidrawNode(node, {0x258a, 0x002a, 1, 1}));
  const auto info = DescribeHidrawNode(node, {0x258a, 0x002a, 1, -1});
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->usagePage, 0);
  EXPECT_EQ(info->usage, 0);
}

TEST(HidrawNode, SelectorAppliesToIdsAndInterface) {
  const HidrawNode node = MultiCollectionNode();
  EXPECT_TRUE(DescribeHidrawNode(node, {0x258a, 0x002a, 1, -1}));
  EXPECT_FALSE(DescribeHidrawNode(node, {0x258b, 0x002a, 1, -1}));
  EXPECT_FALSE(DescribeHidrawNode(node, {0x258a, 0x002b, 1, -1}));
  EXPECT_FALSE(DescribeHidrawNode(node, {0x258a, 0x002a, 0, -1}));
  EXPECT_FALSE(DescribeHidrawNode(node, {0, 0, 0, 0}));
}

TEST(HidrawNode, OnlyUsbDevicesCount) {
  HidrawNode node = MultiCollectionNode();
  node.hidUevent = test::ReadHidFixture("uevent_bluetooth.txt");
  EXPECT_FALSE(DescribeHidrawNode(node, kAnyInterface));
  node.hidUevent = test::ReadHidFixture("uevent_garbage.bin");
  EXPECT_FALSE(DescribeHidrawNode(node, kAnyInterface));
  node.hidUevent = "HID_ID=0003:00010000:0000002A\n";  // no USB vendor id is that wide
  EXPECT_FALSE(DescribeHidrawNode(node, kAnyInterface));
}

TEST(HidrawNode, VirtualDeviceTakesItsInterfaceFromPhysAndStringsFromTheUevent) {
  HidrawNode node;
  node.devnode = "/dev/hidraw7";
  node.hidUevent = test::ReadHidFixture("uevent_uhid_input2.txt");
  node.reportDescriptor = test::ReadHexFixture("keyboard_boot_interface.hex");
  EXPECT_FALSE(DescribeHidrawNode(node, {0, 0, 1, -1}));
  const auto info = DescribeHidrawNode(node, {0x258a, 0x002a, 2, -1});
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->releaseNumber, 0);
  EXPECT_EQ(info->manufacturer, std::nullopt);
  EXPECT_EQ(info->product, "Virtual keyboard");
  EXPECT_EQ(info->serialNumber, "VK-0001");
}

TEST(HidrawNode, UnreadableAttributesLeaveFieldsEmpty) {
  HidrawNode node = MultiCollectionNode();
  node.interfaceNumber = "";  // the interface exists but its number cannot be read
  node.releaseNumber = "xyz\n";
  node.manufacturer = "\n";
  node.product = std::nullopt;
  node.serial = std::nullopt;
  EXPECT_FALSE(DescribeHidrawNode(node, {0, 0, 1, -1}));
  const auto info = DescribeHidrawNode(node, kAnyInterface);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->releaseNumber, 0);
  EXPECT_EQ(info->manufacturer, std::nullopt);
  EXPECT_EQ(info->product, "Example Gaming Keyboard");  // HID_NAME
  EXPECT_EQ(info->serialNumber, std::nullopt);          // HID_UNIQ is empty
}

}  // namespace
}  // namespace keyloom::hid

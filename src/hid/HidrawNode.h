#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hid/DeviceSelector.h"
#include "hid/HidInterfaceInfo.h"

namespace keyloom::hid {

// What sysfs shows of one hidraw node and the devices above it, as read from the files. Fields
// of a parent device that does not exist are nullopt.
struct HidrawNode {
  std::string devnode;    // "/dev/hidraw3"
  std::string hidUevent;  // "uevent" of the parent hid device
  std::vector<std::uint8_t> reportDescriptor;
  std::optional<std::string> interfaceNumber;  // "bInterfaceNumber" of the usb_interface parent
  std::optional<std::string> releaseNumber;    // "bcdDevice" of the usb_device parent
  std::optional<std::string> manufacturer;     // the usb_device's string attributes
  std::optional<std::string> product;
  std::optional<std::string> serial;
};

// The interface record of a node when it fits the selector, else nullopt. Only USB devices are
// considered. The node's fields:
// - vendor and product id from HID_ID; interface number from the usb_interface, or from the
//   "/inputN" end of HID_PHYS when there is none (a virtual uhid device), else -1;
// - collections: a node with two or more top-level collections stands for collections 1..N and
//   fits a selector whose collection number is negative or within 1..N; a node with fewer has no
//   collection field (-1), as an interface with a single collection has none in a Windows path;
// - usage page and usage of the collection the selector names, or of the first collection when
//   it names none; 0 when the report descriptor cannot be read;
// - strings from the usb_device, product and serial falling back to HID_NAME and HID_UNIQ;
// - release number from bcdDevice, 0 when unknown.
// The record's path is the devnode, its class the HID interface class, its flags 1 (active).
std::optional<HidInterfaceInfo> DescribeHidrawNode(const HidrawNode& node,
                                                   const DeviceSelector& selector);

}  // namespace keyloom::hid

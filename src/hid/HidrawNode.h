#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hid/InterfaceListing.h"

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

// A node as discovery lists it. Only USB devices are considered: any other node has no
// collection and never matches. The node's fields:
// - vendor and product id from HID_ID; interface number from the usb_interface, or from the
//   "/inputN" end of HID_PHYS when there is none (a virtual uhid device), else -1;
// - collections: a node with two or more top-level collections stands for collections 1..N (in
//   that order, each with its usage); a node with fewer has one collection without a number
//   (-1), as an interface with a single collection has none in a Windows path, with the usage of
//   its collection or 0 when the report descriptor cannot be read;
// - strings from the usb_device, product and serial falling back to HID_NAME and HID_UNIQ;
// - release number from bcdDevice, 0 when unknown.
// The record's path is the devnode, its flags 1 (active); the class is the HID interface class.
ListedInterface ListHidrawNode(const HidrawNode& node);

}  // namespace keyloom::hid

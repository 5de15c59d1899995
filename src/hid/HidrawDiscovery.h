#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hid/HidrawNode.h"
#include "hid/InterfaceListing.h"

namespace keyloom::hid {

// Where sysfs shows one hidraw node: its device file and the folders of the devices above it.
struct HidrawNodeFolders {
  std::string devnode;                                // "/dev/hidraw3"; empty when there is none
  std::filesystem::path hid;                          // the hid device; empty when there is none
  std::optional<std::filesystem::path> usbInterface;  // the usb_interface above it
  std::optional<std::filesystem::path> usbDevice;     // the usb_device above that
};

// Reads what discovery needs of a node from its folders: the hid device's "uevent" and
// "report_descriptor", the interface's "bInterfaceNumber", the USB device's "bcdDevice",
// "manufacturer", "product" and "serial". A file that cannot be read is empty or nullopt.
HidrawNode ReadHidrawNode(const HidrawNodeFolders& folders);

// Opens a matching node as discovery does and gives the value for the "open dev" trace.
using HidrawProbe = std::function<std::int64_t(const std::string& devnode)>;

// The hidraw nodes in the order the system enumerated them, each read from sysfs as it is listed.
// A node without a device file or hid device is listed without any collection.
std::unique_ptr<InterfaceListing> ListHidrawNodes(std::vector<HidrawNodeFolders> nodes,
                                                  HidrawProbe probe);

}  // namespace keyloom::hid

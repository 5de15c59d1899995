// Discovery over captured sysfs trees (tests/data/hid/sysfs, ':' written as '_'): usb1/1-2 and
// usb1/1-4 are two identical keyboards, each with a boot interface (one collection, hidraw0 and
// hidraw3) and a second interface of four top-level collections (hidraw1 and hidraw4); usb1/1-3
// is a mouse of another vendor (hidraw2); hidraw5 is a Bluetooth keyboard and hidraw6 a virtual
// keyboard made through uhid, neither with USB devices above it.

#include <filesystem>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "hid/HidTrace.h"
#include "hid/HidrawDiscovery.h"
#include "hid/InterfaceListing.h"

namespace keyloom::hid {
namespace {

using ::testing::ElementsAre;

constexpr DeviceSelector kAnyInterface{0, 0, -1, -1};

std::filesystem::path SysfsCapture() {
  return std::filesystem::path(KEYLOOM_TEST_DATA_DIR) / "hid/sysfs";
}

// The folders of a captured node, found as udev finds a node's parents: the hid device holds the
// "hidraw" folder, the USB interface and device are above it where they exist.
HidrawNodeFolders Node(const std::string& name) {
  for (const auto& entry : std::filesystem::recursive_directory_iterator(SysfsCapture())) {
    if (entry.path().filename() == name && entry.path().parent_path().filename() == "hidraw") {
      HidrawNodeFolders folders;
      folders.devnode = "/dev/" + name;
      folders.hid = entry.path().parent_path().parent_path();
      const auto usbInterface = folders.hid.parent_path();
      if (std::filesystem::exists(usbInterface / "bInterfaceNumber")) {
        folders.usbInterface = usbInterface;
        folders.usbDevice = usbInterface.parent_path();
      }
      return folders;
    }
  }
  ADD_FAILURE() << "no captured node " << name;
  return {};
}

std::vector<HidrawNodeFolders> Nodes(const std::vector<std::string>& names) {
  std::vector<HidrawNodeFolders> nodes;
  nodes.reserve(names.size());
  for (const auto& name : names) {
    nodes.push_back(Node(name));
  }
  return nodes;
}

std::vector<HidInterfaceInfo> FindHidrawInterfaces(const std::vector<HidrawNodeFolders>& nodes,
                                                   const DeviceSelector& selector,
                                                   const DiagnosticTrace& trace,
                                                   const HidrawProbe& probe) {
  return FindListedInterfaces(*ListHidrawNodes(nodes, probe), selector, trace);
}

std::vector<std::string> PathsFound(const std::vector<std::string>& enumerated,
                                    const DeviceSelector& selector) {
  std::vector<std::string> paths;
  for (const auto& info : FindHidrawInterfaces(Nodes(enumerated), selector, {},
                                               [](const std::string&) { return 3; })) {
    paths.push_back(info.path);
  }
  return paths;
}

// Which nodes match, and in which order: the one enumerated last first, whatever its name.
TEST(HidrawDiscovery, FindsTheMatchingNodesEnumeratedLastFirst) {
  const std::vector<std::string> inOrder = {"hidraw0", "hidraw1", "hidraw2", "hidraw3",
                                            "hidraw4", "hidraw5", "hidraw6"};
  const std::vector<std::string> shuffled = {"hidraw4", "hidraw6", "hidraw0", "hidraw5",
                                             "hidraw3", "hidraw2", "hidraw1"};
  struct Case {
    const char* what;
    std::vector<std::string> enumerated;
    DeviceSelector selector;
    std::vector<std::string> found;
  };
  const std::vector<Case> cases = {
      {"a missing config.xml", inOrder, {0, 0, 0, 0}, {}},
      {"a collection the keyboard lacks", inOrder, {0x258a, 0x002a, 1, 5}, {}},
      {"a collection of a one-collection interface", inOrder, {0x258a, 0x002a, 0, 1}, {}},
      {"every USB interface",
       inOrder,
       kAnyInterface,
       {"/dev/hidraw6", "/dev/hidraw4", "/dev/hidraw3", "/dev/hidraw2", "/dev/hidraw1",
        "/dev/hidraw0"}},
      {"the vendor collection", inOrder, {0x258a, 0x002a, 1, 3}, {"/dev/hidraw4", "/dev/hidraw1"}},
      {"the vendor collection, enumerated otherwise",
       shuffled,
       {0x258a, 0x002a, 1, 3},
       {"/dev/hidraw1", "/dev/hidraw4"}},
      {"the boot interfaces", shuffled, {0x258a, 0x002a, 0, -1}, {"/dev/hidraw3", "/dev/hidraw0"}},
      {"the interface number of a virtual device", inOrder, {0x258a, 0, 2, 2}, {"/dev/hidraw6"}},
      {"another vendor", shuffled, {0x046d, 0, -1, -1}, {"/dev/hidraw2"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PathsFound(c.enumerated, c.selector), c.found) << c.what;
  }
}

// The record comes from the node's own hid device and the USB device above it, not from the
// other keyboard of the same ids.
TEST(HidrawDiscovery, DescribesEachNodeFromItsOwnParents) {
  const auto found = FindHidrawInterfaces(Nodes({"hidraw1", "hidraw4"}), {0x258a, 0x002a, 1, 3}, {},
                                          [](const std::string&) { return 3; });
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].serialNumber, "KB0002");
  EXPECT_EQ(found[0].releaseNumber, 0x0106);
  EXPECT_EQ(found[1].serialNumber, "KB0001");
  EXPECT_EQ(found[1].releaseNumber, 0x0105);
  for (const auto& info : found) {
    EXPECT_EQ(info.manufacturer, "Example Corp");
    EXPECT_EQ(info.product, "Example Gaming Keyboard");
    EXPECT_EQ(info.usagePage, 0xff00);
    EXPECT_EQ(info.usage, 0x0001);
  }
}

// Every node is traced with its index, a node udev could not describe too; only the matches are
// opened, each right after its own "enum interface" line.
TEST(HidrawDiscovery, TracesEveryNodeAndOpensOnlyTheMatches) {
  std::vector<HidrawNodeFolders> nodes = Nodes({"hidraw2", "hidraw1", "hidraw5", "hidraw4"});
  nodes.insert(nodes.begin() + 1, HidrawNodeFolders{});
  std::vector<std::string> traces;
  std::vector<std::string> probed;
  const auto found = FindHidrawInterfaces(
      nodes, {0x258a, 0x002a, -1, -1},
      [&traces](std::string_view line) { traces.emplace_back(line); },
      [&probed](const std::string& devnode) {
        probed.push_back(devnode);
        return static_cast<std::int64_t>(probed.size() == 1 ? -1 : 7);
      });
  EXPECT_EQ(found.size(), 2u);
  EXPECT_THAT(probed, ElementsAre("/dev/hidraw1", "/dev/hidraw4"));
  const auto enumLine = [](int index) { return EnumInterfaceTraceLine(kHidInterfaceClass, index); };
  EXPECT_THAT(traces, ElementsAre(GotClassTraceLine(kHidInterfaceClass), enumLine(0), enumLine(1),
                                  enumLine(2), OpenDevTraceLine(-1), enumLine(3), enumLine(4),
                                  OpenDevTraceLine(7)));
}

}  // namespace
}  // namespace keyloom::hid

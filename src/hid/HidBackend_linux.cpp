// Discovery on Linux: every hidraw node that udev lists is described from sysfs.
//
// Windows shows an interface with several top-level collections as one path per collection
// ("&col01", "&col02", ...) and an interface with a single collection without a "&col" field. A
// hidraw node carries all top-level collections of its USB interface, so a node whose report
// descriptor has N >= 2 top-level collections is listed as collections 1..N, and a node with
// fewer as one collection without a number. Each node gives at most one record, whichever of its
// collections matched.
//
// libudev lists the nodes and their parents; ListHidrawNodes reads them from sysfs as the shared
// discovery asks for them.

#include <memory>
#include <utility>

#include <libudev.h>

#include "hid/HidrawDiscovery.h"
#include "hid/HidrawHandle.h"
#include "hid/ListingHidBackend.h"

namespace keyloom::hid {
namespace {

struct UdevDeleter {
  void operator()(udev* u) const { udev_unref(u); }
  void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
  void operator()(udev_device* d) const { udev_device_unref(d); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

std::optional<std::filesystem::path> SyspathOf(udev_device* device) {
  const char* syspath = device != nullptr ? udev_device_get_syspath(device) : nullptr;
  if (syspath == nullptr) {
    return std::nullopt;
  }
  return std::filesystem::path(syspath);
}

// The folders of a hidraw device and its parents; a node udev cannot describe has neither a
// device file nor a hid folder.
HidrawNodeFolders FoldersOf(udev* context, const char* syspath) {
  HidrawNodeFolders folders;
  const UdevPtr<udev_device> hidraw(udev_device_new_from_syspath(context, syspath));
  if (!hidraw) {
    return folders;
  }
  const char* devnode = udev_device_get_devnode(hidraw.get());
  const auto hid =
      SyspathOf(udev_device_get_parent_with_subsystem_devtype(hidraw.get(), "hid", nullptr));
  if (devnode == nullptr || !hid) {
    return folders;
  }
  folders.devnode = devnode;
  folders.hid = *hid;
  folders.usbInterface = SyspathOf(
      udev_device_get_parent_with_subsystem_devtype(hidraw.get(), "usb", "usb_interface"));
  folders.usbDevice =
      SyspathOf(udev_device_get_parent_with_subsystem_devtype(hidraw.get(), "usb", "usb_device"));
  return folders;
}

class LinuxHidBackend final : public ListingHidBackend {
 public:
  OpenResult OpenPath(const std::string& path) override { return OpenHidraw(path); }

 private:
  std::unique_ptr<InterfaceListing> ListInterfaces() override {
    const UdevPtr<udev> context(udev_new());
    if (!context) {
      return nullptr;
    }
    const UdevPtr<udev_enumerate> enumeration(udev_enumerate_new(context.get()));
    if (!enumeration || udev_enumerate_add_match_subsystem(enumeration.get(), "hidraw") < 0 ||
        udev_enumerate_scan_devices(enumeration.get()) < 0) {
      return nullptr;
    }
    std::vector<HidrawNodeFolders> nodes;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get())) {
      nodes.push_back(FoldersOf(context.get(), udev_list_entry_get_name(entry)));
    }
    return ListHidrawNodes(std::move(nodes), [](const std::string& devnode) {
      return OpenHidraw(devnode).traceValue;
    });
  }
};

}  // namespace

HidBackend& SystemHidBackend() {
  static LinuxHidBackend backend;
  return backend;
}

}  // namespace keyloom::hid

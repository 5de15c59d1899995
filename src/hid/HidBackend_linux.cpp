// Discovery on Linux: every hidraw node that udev lists is described from sysfs.
//
// Windows shows an interface with several top-level collections as one path per collection
// ("&col01", "&col02", ...) and an interface with a single collection without a "&col" field. A
// hidraw node carries all top-level collections of its USB interface, so a node whose report
// descriptor has N >= 2 top-level collections stands for collections 1..N: it fits a selector
// whose collection number is negative or within 1..N, and a node with fewer has no collection
// field. Each node gives one record, whichever collection matched; the record's usage page and
// usage are those of the collection the selector names (of the first one when it names none).
//
// libudev lists the nodes and their parents; FindHidrawInterfaces reads them from sysfs and
// picks the matches.

#include <memory>

#include <libudev.h>

#include "hid/HidBackend.h"
#include "hid/HidrawDiscovery.h"
#include "hid/HidrawHandle.h"

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

class LinuxHidBackend final : public HidBackend {
 public:
  std::vector<HidInterfaceInfo> FindInterfaces(const DeviceSelector& selector,
                                               const DiagnosticTrace& trace) override {
    const UdevPtr<udev> context(udev_new());
    if (!context) {
      return {};
    }
    const UdevPtr<udev_enumerate> enumeration(udev_enumerate_new(context.get()));
    if (!enumeration || udev_enumerate_add_match_subsystem(enumeration.get(), "hidraw") < 0 ||
        udev_enumerate_scan_devices(enumeration.get()) < 0) {
      return {};
    }
    std::vector<HidrawNodeFolders> nodes;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get())) {
      nodes.push_back(FoldersOf(context.get(), udev_list_entry_get_name(entry)));
    }
    return FindHidrawInterfaces(nodes, selector, trace, [](const std::string& devnode) {
      return OpenHidraw(devnode).traceValue;
    });
  }

  OpenResult OpenPath(const std::string& path) override { return OpenHidraw(path); }
};

}  // namespace

HidBackend& SystemHidBackend() {
  static LinuxHidBackend backend;
  return backend;
}

}  // namespace keyloom::hid

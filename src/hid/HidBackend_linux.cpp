// Discovery on Linux: every hidraw node that udev lists is described from sysfs.
//
// Windows shows an interface with several top-level collections as one path per collection
// ("&col01", "&col02", ...) and an interface with a single collection without a "&col" field. A
// hidraw node carries all top-level collections of its USB interface, so a node whose report
// descriptor has N >= 2 top-level collections stands for collections 1..N: it fits a selector
// whose collection number is negative or within 1..N, and a node with fewer has no collection
// field. Each node gives one record, whichever collection matched; the record's usage page and
// usage are those of the collection the selector names (of the first one when it names none).

#include <fstream>
#include <memory>

#include <libudev.h>

#include "hid/HidBackend.h"
#include "hid/HidTrace.h"
#include "hid/HidrawHandle.h"
#include "hid/HidrawNode.h"

namespace keyloom::hid {
namespace {

// The kernel's limit for a report descriptor; uevent and attribute texts are shorter.
constexpr std::size_t kMaxSysfsFileSize = 4096;

struct UdevDeleter {
  void operator()(udev* u) const { udev_unref(u); }
  void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
  void operator()(udev_device* d) const { udev_device_unref(d); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

std::optional<std::string> ReadSysfsFile(udev_device* device, const char* name) {
  const char* syspath = udev_device_get_syspath(device);
  if (syspath == nullptr) {
    return std::nullopt;
  }
  std::ifstream file(std::string(syspath) + "/" + name, std::ios::binary);
  if (!file) {
    return std::nullopt;
  }
  std::string text(kMaxSysfsFileSize, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(file.gcount()));
  return text;
}

// Reads what discovery needs of a hidraw device and its parents; nullopt for a node without a
// device file or hid parent.
std::optional<HidrawNode> ReadHidrawNode(udev_device* hidraw) {
  const char* devnode = udev_device_get_devnode(hidraw);
  udev_device* hid = udev_device_get_parent_with_subsystem_devtype(hidraw, "hid", nullptr);
  if (devnode == nullptr || hid == nullptr) {
    return std::nullopt;
  }
  HidrawNode node;
  node.devnode = devnode;
  node.hidUevent = ReadSysfsFile(hid, "uevent").value_or(std::string{});
  const std::string descriptor = ReadSysfsFile(hid, "report_descriptor").value_or(std::string{});
  node.reportDescriptor.assign(descriptor.begin(), descriptor.end());

  if (udev_device* usbInterface =
          udev_device_get_parent_with_subsystem_devtype(hidraw, "usb", "usb_interface")) {
    node.interfaceNumber = ReadSysfsFile(usbInterface, "bInterfaceNumber").value_or(std::string{});
  }
  if (udev_device* usbDevice =
          udev_device_get_parent_with_subsystem_devtype(hidraw, "usb", "usb_device")) {
    node.releaseNumber = ReadSysfsFile(usbDevice, "bcdDevice");
    node.manufacturer = ReadSysfsFile(usbDevice, "manufacturer");
    node.product = ReadSysfsFile(usbDevice, "product");
    node.serial = ReadSysfsFile(usbDevice, "serial");
  }
  return node;
}

class LinuxHidBackend final : public HidBackend {
 public:
  std::vector<HidInterfaceInfo> FindInterfaces(const DeviceSelector& selector,
                                               const DiagnosticTrace& trace) override {
    std::vector<HidInterfaceInfo> found;
    const UdevPtr<udev> context(udev_new());
    if (!context) {
      return found;
    }
    const UdevPtr<udev_enumerate> enumeration(udev_enumerate_new(context.get()));
    if (!enumeration || udev_enumerate_add_match_subsystem(enumeration.get(), "hidraw") < 0 ||
        udev_enumerate_scan_devices(enumeration.get()) < 0) {
      return found;
    }
    Trace(trace, GotClassTraceLine(kHidInterfaceClass));

    int index = 0;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get())) {
      Trace(trace, EnumInterfaceTraceLine(kHidInterfaceClass, index++));
      const UdevPtr<udev_device> hidraw(
          udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
      if (!hidraw) {
        continue;
      }
      const auto node = ReadHidrawNode(hidraw.get());
      if (!node) {
        continue;
      }
      auto info = DescribeHidrawNode(*node, selector);
      if (!info) {
        continue;
      }
      // Opened as on Windows, so that the trace shows whether this user may open the node; what
      // the record says comes from sysfs either way.
      const OpenResult probe = OpenHidraw(info->path);
      Trace(trace, OpenDevTraceLine(probe.traceValue));
      found.insert(found.begin(), std::move(*info));
    }
    return found;
  }

  OpenResult OpenPath(const std::string& path) override { return OpenHidraw(path); }

 private:
  static void Trace(const DiagnosticTrace& trace, const std::string& line) {
    if (trace) {
      trace(line);
    }
  }
};

}  // namespace

HidBackend& SystemHidBackend() {
  static LinuxHidBackend backend;
  return backend;
}

}  // namespace keyloom::hid

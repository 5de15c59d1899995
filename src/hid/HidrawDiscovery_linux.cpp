#include <fstream>

#include "hid/HidTrace.h"
#include "hid/HidrawDiscovery.h"

namespace keyloom::hid {
namespace {

// The kernel's limit for a report descriptor; uevent and attribute texts are shorter.
constexpr std::size_t kMaxSysfsFileSize = 4096;

std::optional<std::string> ReadSysfsFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return std::nullopt;
  }
  std::string text(kMaxSysfsFileSize, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(file.gcount()));
  return text;
}

void Trace(const DiagnosticTrace& trace, const std::string& line) {
  if (trace) {
    trace(line);
  }
}

}  // namespace

HidrawNode ReadHidrawNode(const HidrawNodeFolders& folders) {
  HidrawNode node;
  node.devnode = folders.devnode;
  node.hidUevent = ReadSysfsFile(folders.hid / "uevent").value_or(std::string{});
  const std::string descriptor =
      ReadSysfsFile(folders.hid / "report_descriptor").value_or(std::string{});
  node.reportDescriptor.assign(descriptor.begin(), descriptor.end());
  if (folders.usbInterface) {
    node.interfaceNumber =
        ReadSysfsFile(*folders.usbInterface / "bInterfaceNumber").value_or(std::string{});
  }
  if (folders.usbDevice) {
    node.releaseNumber = ReadSysfsFile(*folders.usbDevice / "bcdDevice");
    node.manufacturer = ReadSysfsFile(*folders.usbDevice / "manufacturer");
    node.product = ReadSysfsFile(*folders.usbDevice / "product");
    node.serial = ReadSysfsFile(*folders.usbDevice / "serial");
  }
  return node;
}

std::vector<HidInterfaceInfo> FindHidrawInterfaces(const std::vector<HidrawNodeFolders>& nodes,
                                                   const DeviceSelector& selector,
                                                   const DiagnosticTrace& trace,
                                                   const HidrawProbe& probe) {
  Trace(trace, GotClassTraceLine(kHidInterfaceClass));
  std::vector<HidInterfaceInfo> found;
  int index = 0;
  for (const HidrawNodeFolders& folders : nodes) {
    Trace(trace, EnumInterfaceTraceLine(kHidInterfaceClass, index++));
    if (folders.devnode.empty() || folders.hid.empty()) {
      continue;
    }
    auto info = DescribeHidrawNode(ReadHidrawNode(folders), selector);
    if (!info) {
      continue;
    }
    // Opened as on Windows, so that the trace shows whether this user may open the node; what
    // the record says comes from sysfs either way.
    Trace(trace, OpenDevTraceLine(probe(info->path)));
    found.insert(found.begin(), std::move(*info));
  }
  return found;
}

}  // namespace keyloom::hid

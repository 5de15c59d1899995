#include <fstream>
#include <utility>

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

class HidrawListing final : public InterfaceListing {
 public:
  HidrawListing(std::vector<HidrawNodeFolders> nodes, HidrawProbe probe)
      : nodes_(std::move(nodes)), probe_(std::move(probe)) {}

  std::optional<ListedInterface> Next() override {
    if (next_ == nodes_.size()) {
      return std::nullopt;
    }
    const HidrawNodeFolders& folders = nodes_[next_++];
    if (folders.devnode.empty() || folders.hid.empty()) {
      return ListedInterface{};
    }
    return ListHidrawNode(ReadHidrawNode(folders));
  }

  // Opened as on Windows, so that the trace shows whether this user may open the node; what the
  // record says comes from sysfs either way.
  std::int64_t Probe(HidInterfaceInfo& record) override { return probe_(record.path); }

 private:
  std::vector<HidrawNodeFolders> nodes_;
  HidrawProbe probe_;
  std::size_t next_ = 0;
};

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

std::unique_ptr<InterfaceListing> ListHidrawNodes(std::vector<HidrawNodeFolders> nodes,
                                                  HidrawProbe probe) {
  return std::make_unique<HidrawListing>(std::move(nodes), std::move(probe));
}

}  // namespace keyloom::hid

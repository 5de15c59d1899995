#include "hid/HidrawNode.h"

#include "hid/HidSysfs.h"
#include "hid/ReportDescriptor.h"

namespace keyloom::hid {
namespace {

constexpr std::uint32_t kMaxUsbId = 0xFFFF;
constexpr std::uint32_t kMaxInterfaceNumber = 0xFF;
constexpr std::uint32_t kMaxReleaseNumber = 0xFFFF;
constexpr std::uint32_t kInterfaceActive = 1;

std::int32_t InterfaceNumberOf(const HidrawNode& node, const HidUevent& uevent) {
  if (node.interfaceNumber) {
    const auto number = ParseSysfsHex(*node.interfaceNumber, kMaxInterfaceNumber);
    return number ? static_cast<std::int32_t>(*number) : -1;
  }
  return InterfaceNumberFromPhys(uevent.phys).value_or(-1);
}

std::optional<std::string> StringOr(const std::optional<std::string>& attribute,
                                    std::string_view fallback) {
  if (attribute) {
    if (auto text = SysfsString(*attribute)) {
      return text;
    }
  }
  return SysfsString(fallback);
}

}  // namespace

ListedInterface ListHidrawNode(const HidrawNode& node) {
  ListedInterface listed;
  const auto uevent = ParseHidUevent(node.hidUevent);
  if (!uevent || uevent->bus != kHidBusUsb || uevent->vendorId > kMaxUsbId ||
      uevent->productId > kMaxUsbId) {
    return listed;
  }

  HidPathFields fields;
  fields.vendorId = static_cast<std::int32_t>(uevent->vendorId);
  fields.productId = static_cast<std::int32_t>(uevent->productId);
  fields.interfaceNumber = InterfaceNumberOf(node, *uevent);
  const std::vector<TopLevelCollection> collections =
      ParseTopLevelCollections(node.reportDescriptor).value_or(std::vector<TopLevelCollection>{});
  if (collections.size() >= 2) {
    for (std::size_t i = 0; i < collections.size(); ++i) {
      fields.collectionNumber = static_cast<std::int32_t>(i + 1);
      listed.collections.push_back({fields, collections[i].usagePage, collections[i].usage});
    }
  } else {
    const TopLevelCollection only = collections.empty() ? TopLevelCollection{} : collections[0];
    listed.collections.push_back({fields, only.usagePage, only.usage});
  }

  HidInterfaceInfo& info = listed.record;
  info.path = node.devnode;
  info.interfaceFlags = kInterfaceActive;
  if (node.releaseNumber) {
    info.releaseNumber = static_cast<std::uint16_t>(
        ParseSysfsHex(*node.releaseNumber, kMaxReleaseNumber).value_or(0));
  }
  info.manufacturer = node.manufacturer ? SysfsString(*node.manufacturer) : std::nullopt;
  info.product = StringOr(node.product, uevent->name);
  info.serialNumber = StringOr(node.serial, uevent->uniq);
  return listed;
}

}  // namespace keyloom::hid

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

std::optional<HidInterfaceInfo> DescribeHidrawNode(const HidrawNode& node,
                                                   const DeviceSelector& selector) {
  const auto uevent = ParseHidUevent(node.hidUevent);
  if (!uevent || uevent->bus != kHidBusUsb || uevent->vendorId > kMaxUsbId ||
      uevent->productId > kMaxUsbId) {
    return std::nullopt;
  }

  const std::vector<TopLevelCollection> collections =
      ParseTopLevelCollections(node.reportDescriptor).value_or(std::vector<TopLevelCollection>{});
  const auto count = static_cast<std::int32_t>(collections.size());

  HidPathFields fields;
  fields.vendorId = static_cast<std::int32_t>(uevent->vendorId);
  fields.productId = static_cast<std::int32_t>(uevent->productId);
  fields.interfaceNumber = InterfaceNumberOf(node, *uevent);
  if (count >= 2) {
    const bool named = selector.collectionNumber >= 1 && selector.collectionNumber <= count;
    fields.collectionNumber = named ? selector.collectionNumber : 1;
  }
  if (!selector.Matches(fields)) {
    return std::nullopt;
  }

  HidInterfaceInfo info;
  info.path = node.devnode;
  info.interfaceClass = kHidInterfaceClass;
  info.interfaceFlags = kInterfaceActive;
  info.vendorId = fields.vendorId;
  info.productId = fields.productId;
  if (node.releaseNumber) {
    info.releaseNumber = static_cast<std::uint16_t>(
        ParseSysfsHex(*node.releaseNumber, kMaxReleaseNumber).value_or(0));
  }
  info.manufacturer = node.manufacturer ? SysfsString(*node.manufacturer) : std::nullopt;
  info.product = StringOr(node.product, uevent->name);
  info.serialNumber = StringOr(node.serial, uevent->uniq);
  if (!collections.empty()) {
    const std::size_t chosen =
        fields.collectionNumber >= 1 ? static_cast<std::size_t>(fields.collectionNumber - 1) : 0;
    info.usagePage = collections[chosen].usagePage;
    info.usage = collections[chosen].usage;
  }
  return info;
}

}  // namespace keyloom::hid

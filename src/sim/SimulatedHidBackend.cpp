#include "sim/SimulatedHidBackend.h"

#include <cstdio>
#include <memory>

#include "sim/SimulatedHidHandle.h"

namespace keyloom::sim {

namespace {

constexpr std::uint16_t kVendorUsagePage = 0xFF00;
constexpr std::uint16_t kVendorUsage = 0x0001;
constexpr std::uint16_t kReleaseNumber = 0x0100;
constexpr std::uint32_t kInterfaceActive = 0x1;
constexpr std::int64_t kFirstHandleValue = 0x5100;

// The GUID as the discovery traces show it: "%04x-%02x-%02x-" and the last eight bytes as 16
// lowercase hexadecimal digits.
std::string GuidText(const hid::Guid& guid) {
  char text[50];
  int length =
      std::snprintf(text, sizeof text, "%04x-%02x-%02x-", static_cast<unsigned>(guid.data1),
                    static_cast<unsigned>(guid.data2), static_cast<unsigned>(guid.data3));
  for (const std::uint8_t byte : guid.data4) {
    length += std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), "%02x",
                            static_cast<unsigned>(byte));
  }
  return text;
}

void Trace(const hid::DiagnosticTrace& trace, const std::string& line) {
  if (trace) {
    trace(line);
  }
}

std::string HandleText(std::int64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "open dev: %08x", static_cast<unsigned>(value));
  return text;
}

// Vendor and product id 0 or below match any id; interface and collection numbers below 0
// match any number.
bool Fits(const hid::DeviceSelector& selector, const hid::HidPathFields& fields) {
  return (selector.vendorId <= 0 || selector.vendorId == fields.vendorId) &&
         (selector.productId <= 0 || selector.productId == fields.productId) &&
         (selector.interfaceNumber < 0 || selector.interfaceNumber == fields.interfaceNumber) &&
         (selector.collectionNumber < 0 || selector.collectionNumber == fields.collectionNumber);
}

// The fields a path can carry: four hexadecimal digits for the ids, two for the numbers.
hid::HidPathFields IdentityFor(const hid::DeviceSelector& configured) {
  hid::HidPathFields identity;
  identity.vendorId = configured.vendorId > 0 ? configured.vendorId & 0xFFFF
                                              : SimulatedHidBackend::kDefaultVendorId;
  identity.productId = configured.productId > 0 ? configured.productId & 0xFFFF
                                                : SimulatedHidBackend::kDefaultProductId;
  identity.interfaceNumber = configured.interfaceNumber >= 0
                                 ? configured.interfaceNumber & 0xFF
                                 : SimulatedHidBackend::kDefaultInterfaceNumber;
  identity.collectionNumber = configured.collectionNumber >= 0
                                  ? configured.collectionNumber & 0xFF
                                  : SimulatedHidBackend::kDefaultCollectionNumber;
  return identity;
}

std::string PathFor(const hid::HidPathFields& identity) {
  char text[64];
  std::snprintf(text, sizeof text, "sim:hid#vid_%04x&pid_%04x&mi_%02x&col%02x",
                static_cast<unsigned>(identity.vendorId), static_cast<unsigned>(identity.productId),
                static_cast<unsigned>(identity.interfaceNumber),
                static_cast<unsigned>(identity.collectionNumber));
  return text;
}

}  // namespace

SimulatedHidBackend::SimulatedHidBackend(SimulatedKeyboard& keyboard,
                                         const hid::DeviceSelector& configured)
    : keyboard_(keyboard),
      identity_(IdentityFor(configured)),
      path_(PathFor(identity_)),
      nextHandleValue_(kFirstHandleValue) {}

std::vector<hid::HidInterfaceInfo> SimulatedHidBackend::FindInterfaces(
    const hid::DeviceSelector& selector, const hid::DiagnosticTrace& trace) {
  const std::string guid = GuidText(hid::kHidInterfaceClass);
  Trace(trace, "got classs: guid={" + guid + "}");
  if (!keyboard_.plugged()) {
    return {};
  }
  Trace(trace, "enum interface: guid={" + guid + "} index=0");
  if (!Fits(selector, identity_)) {
    return {};
  }
  hid::HidInterfaceInfo info;
  info.path = path_;
  info.interfaceClass = hid::kHidInterfaceClass;
  info.interfaceFlags = kInterfaceActive;
  info.vendorId = identity_.vendorId;
  info.productId = identity_.productId;
  // Discovery opens the interface to query it, as the system backend does.
  Trace(trace, HandleText(nextHandleValue_++));
  info.releaseNumber = kReleaseNumber;
  info.serialNumber = "SIM0001";
  info.manufacturer = "Keyloom";
  info.product = "Simulated keyboard";
  info.usagePage = kVendorUsagePage;
  info.usage = kVendorUsage;
  return {info};
}

hid::OpenResult SimulatedHidBackend::OpenPath(const std::string& path) {
  hid::OpenResult result;
  if (path != path_ || !keyboard_.plugged()) {
    result.error = hid::OpenError::kNotFound;
    return result;
  }
  result.handle = std::make_unique<SimulatedHidHandle>(keyboard_);
  result.traceValue = nextHandleValue_++;
  return result;
}

}  // namespace keyloom::sim

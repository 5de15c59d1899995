#include "sim/SimulatedHidBackend.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "sim/SimulatedHidHandle.h"

namespace keyloom::sim {

namespace {

constexpr std::uint16_t kVendorUsagePage = 0xFF00;
constexpr std::uint16_t kVendorUsage = 0x0001;
constexpr std::uint16_t kReleaseNumber = 0x0100;
constexpr std::uint32_t kInterfaceActive = 0x1;
constexpr std::int64_t kFirstHandleValue = 0x5100;

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

// Discovery opens a listed interface to query it, as the system backend does; each open takes the
// next handle value.
class SimulatedListing final : public hid::InterfaceListing {
 public:
  SimulatedListing(std::vector<hid::ListedInterface> interfaces, std::int64_t& nextHandleValue)
      : interfaces_(std::move(interfaces)), nextHandleValue_(nextHandleValue) {}

  std::optional<hid::ListedInterface> Next() override {
    if (next_ == interfaces_.size()) {
      return std::nullopt;
    }
    return interfaces_[next_++];
  }

  std::int64_t Probe(hid::HidInterfaceInfo& /*record*/) override { return nextHandleValue_++; }

 private:
  std::vector<hid::ListedInterface> interfaces_;
  std::int64_t& nextHandleValue_;
  std::size_t next_ = 0;
};

}  // namespace

SimulatedHidBackend::SimulatedHidBackend(SimulatedKeyboard& keyboard,
                                         const hid::DeviceSelector& configured)
    : keyboard_(keyboard),
      identity_(IdentityFor(configured)),
      path_(PathFor(identity_)),
      nextHandleValue_(kFirstHandleValue) {}

std::unique_ptr<hid::InterfaceListing> SimulatedHidBackend::ListInterfaces() {
  std::vector<hid::ListedInterface> interfaces;
  if (keyboard_.plugged()) {
    hid::ListedInterface& listed = interfaces.emplace_back();
    listed.record.path = path_;
    listed.record.interfaceFlags = kInterfaceActive;
    listed.record.releaseNumber = kReleaseNumber;
    listed.record.serialNumber = "SIM0001";
    listed.record.manufacturer = "Keyloom";
    listed.record.product = "Simulated keyboard";
    listed.collections.push_back({identity_, kVendorUsagePage, kVendorUsage});
  }
  return std::make_unique<SimulatedListing>(std::move(interfaces), nextHandleValue_);
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

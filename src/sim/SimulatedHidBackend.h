#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "hid/DeviceSelector.h"
#include "hid/HidBackend.h"
#include "hid/InterfaceListing.h"
#include "hid/ListingHidBackend.h"
#include "sim/SimulatedKeyboard.h"

namespace keyloom::sim {

// Presents the simulated keyboard as one HID interface. Its identity follows the configured
// selector, so the configuration that picks the real keyboard picks the simulated one: the
// selector's own values where it names them, and the defaults below for its wildcards (vendor
// and product id 0 or below, interface or collection below 0; interface and collection 0 are
// real values and kept). The path has the grammar of a Windows HID path, for example
// "sim:hid#vid_258a&pid_002a&mi_01&col02".
//
// The backend only lists the interface, while the keyboard is plugged in; matching it against a
// selector and the discovery traces are the shared discovery's, as for the system backend.
class SimulatedHidBackend : public hid::ListingHidBackend {
 public:
  static constexpr std::int32_t kDefaultVendorId = 0x258A;
  static constexpr std::int32_t kDefaultProductId = 0x002A;
  static constexpr std::int32_t kDefaultInterfaceNumber = 1;
  static constexpr std::int32_t kDefaultCollectionNumber = 2;

  SimulatedHidBackend(SimulatedKeyboard& keyboard, const hid::DeviceSelector& configured);

  // Opens the keyboard's path while it is plugged in; any other path is not found.
  hid::OpenResult OpenPath(const std::string& path) override;

  [[nodiscard]] const std::string& path() const { return path_; }

 private:
  std::unique_ptr<hid::InterfaceListing> ListInterfaces() override;

  SimulatedKeyboard& keyboard_;
  hid::HidPathFields identity_;
  std::string path_;
  std::int64_t nextHandleValue_;
};

}  // namespace keyloom::sim

#pragma once

#include <memory>
#include <vector>

#include "hid/HidBackend.h"
#include "hid/InterfaceListing.h"

namespace keyloom::hid {

// A backend that only lists what its platform enumerates: the matching against the selector and
// every discovery trace are FindListedInterfaces, the same for hidraw, Windows HID and the
// simulated keyboard.
class ListingHidBackend : public HidBackend {
 public:
  // Nothing, and no trace, when the platform does not give the set of present interfaces.
  std::vector<HidInterfaceInfo> FindInterfaces(const DeviceSelector& selector,
                                               const DiagnosticTrace& trace) final;

 private:
  // The present HID interfaces; null when the platform does not give their set.
  virtual std::unique_ptr<InterfaceListing> ListInterfaces() = 0;
};

}  // namespace keyloom::hid

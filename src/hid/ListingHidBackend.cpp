#include "hid/ListingHidBackend.h"

namespace keyloom::hid {

std::vector<HidInterfaceInfo> ListingHidBackend::FindInterfaces(const DeviceSelector& selector,
                                                                const DiagnosticTrace& trace) {
  const std::unique_ptr<InterfaceListing> listing = ListInterfaces();
  if (!listing) {
    return {};
  }
  return FindListedInterfaces(*listing, selector, trace);
}

}  // namespace keyloom::hid

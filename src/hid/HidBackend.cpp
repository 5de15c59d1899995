#include "hid/HidBackend.h"

namespace keyloom::hid {

std::vector<HidInterfaceInfo> FindHidInterfaces(const DeviceSelector& selector,
                                                const DiagnosticTrace& trace) {
  return SystemHidBackend().FindInterfaces(selector, trace);
}

}  // namespace keyloom::hid

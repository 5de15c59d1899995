#include "hid/InterfaceListing.h"

#include <algorithm>
#include <string>
#include <utility>

#include "hid/HidTrace.h"

namespace keyloom::hid {
namespace {

void Trace(const DiagnosticTrace& trace, const std::string& line) {
  if (trace) {
    trace(line);
  }
}

}  // namespace

std::optional<HidInterfaceInfo> MatchListedInterface(const ListedInterface& listed,
                                                     const DeviceSelector& selector) {
  const auto fitting =
      std::ranges::find_if(listed.collections, [&selector](const ListedCollection& collection) {
        return selector.Matches(collection.fields);
      });
  if (fitting == listed.collections.end()) {
    return std::nullopt;
  }
  HidInterfaceInfo info = listed.record;
  info.interfaceClass = listed.interfaceClass;
  info.vendorId = fitting->fields.vendorId;
  info.productId = fitting->fields.productId;
  info.usagePage = fitting->usagePage;
  info.usage = fitting->usage;
  return info;
}

std::vector<HidInterfaceInfo> FindListedInterfaces(InterfaceListing& listing,
                                                   const DeviceSelector& selector,
                                                   const DiagnosticTrace& trace) {
  Trace(trace, GotClassTraceLine(kHidInterfaceClass));
  std::vector<HidInterfaceInfo> found;
  int index = 0;
  for (auto listed = listing.Next(); listed; listed = listing.Next()) {
    Trace(trace, EnumInterfaceTraceLine(listed->interfaceClass, index++));
    if (listed->detailQueryFailed) {
      Trace(trace, DetailQueryFailedTraceLine());
      continue;
    }
    auto info = MatchListedInterface(*listed, selector);
    if (!info) {
      continue;
    }
    Trace(trace, OpenDevTraceLine(listing.Probe(*info)));
    found.insert(found.begin(), std::move(*info));
  }
  return found;
}

}  // namespace keyloom::hid

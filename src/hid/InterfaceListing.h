#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "hid/DeviceSelector.h"
#include "hid/DiagnosticTrace.h"
#include "hid/HidInterfaceInfo.h"

namespace keyloom::hid {

// One top-level collection that an enumerated interface stands for: the fields a selector is
// matched against and the usage it declares (0 where the platform tells it only once the
// interface is open).
struct ListedCollection {
  HidPathFields fields;
  std::uint16_t usagePage = 0;
  std::uint16_t usage = 0;
};

// One interface as a backend enumerates it, before any selector is applied.
struct ListedInterface {
  Guid interfaceClass = kHidInterfaceClass;
  // The platform would not give the interface's details; discovery says so and skips it.
  bool detailQueryFailed = false;
  // What is known of the interface before it is opened: path and flags, and wherever the
  // platform tells them without an open, release number and strings. Discovery adds the class,
  // the ids and the usage of the collection that fits.
  HidInterfaceInfo record;
  // The collections in the order they are tried; the first that fits the selector is the one the
  // record describes. An interface without any (not a USB HID interface, a path that does not
  // fit the grammar) never matches.
  std::vector<ListedCollection> collections;
};

// The present HID interfaces of one enumeration, in the order the platform gives them.
class InterfaceListing {
 public:
  virtual ~InterfaceListing() = default;

  // The next interface; nullopt after the last.
  virtual std::optional<ListedInterface> Next() = 0;

  // Opens the interface that Next() gave last, as discovery does, completes `record` with what
  // the open interface tells, and gives the platform handle value for the "open dev" trace (the
  // failure value too).
  virtual std::int64_t Probe(HidInterfaceInfo& record) = 0;
};

// The record of a listed interface when one of its collections fits the selector, else nullopt.
std::optional<HidInterfaceInfo> MatchListedInterface(const ListedInterface& listed,
                                                     const DeviceSelector& selector);

// Discovery over one enumeration, the same for every backend: traces "got classs", then for each
// interface "enum interface" with its index, the failed detail query where there was one, and for
// each match "open dev" after probing it. Returns the matches, the one enumerated last first.
std::vector<HidInterfaceInfo> FindListedInterfaces(InterfaceListing& listing,
                                                   const DeviceSelector& selector,
                                                   const DiagnosticTrace& trace);

}  // namespace keyloom::hid

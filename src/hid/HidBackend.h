#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hid/DeviceSelector.h"
#include "hid/DiagnosticTrace.h"
#include "hid/HidInterfaceInfo.h"
#include "hid/Transport.h"

namespace keyloom::hid {

// An interface opened for feature-report transfers. Closing is destruction.
class HidHandle : public Transport {};

// Why an interface path could not be opened, in terms a user can act on.
enum class OpenError {
  kNone,
  kNotFound,      // the node vanished between discovery and open
  kAccessDenied,  // the node exists, but this user may not open it
  kBusy,          // another program holds the node exclusively
  kOther,
};

struct OpenResult {
  std::unique_ptr<HidHandle> handle;  // null when the open failed
  std::int64_t traceValue = -1;       // the platform handle value, for the "open dev" trace
  OpenError error = OpenError::kNone;
  int nativeError = 0;  // errno or GetLastError()
};

// What HidDevice needs of a platform: discovery and opening a path. The system backend talks to
// hidraw or to SetupAPI/hid.dll; the simulated keyboard provides one of its own.
class HidBackend {
 public:
  virtual ~HidBackend() = default;

  // Every present HID interface that fits the selector. The first element is the matching
  // interface enumerated last; the others follow in reverse enumeration order.
  virtual std::vector<HidInterfaceInfo> FindInterfaces(const DeviceSelector& selector,
                                                       const DiagnosticTrace& trace) = 0;

  // Opens a path found by FindInterfaces for reading and writing, shared.
  virtual OpenResult OpenPath(const std::string& path) = 0;
};

// The backend of the platform the program runs on. Lives as long as the process.
HidBackend& SystemHidBackend();

// Discovery with the system backend.
std::vector<HidInterfaceInfo> FindHidInterfaces(const DeviceSelector& selector,
                                                const DiagnosticTrace& trace = {});

}  // namespace keyloom::hid

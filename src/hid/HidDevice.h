#pragma once

#include <memory>
#include <string>

#include "hid/DeviceGate.h"
#include "hid/DeviceSelector.h"
#include "hid/DiagnosticTrace.h"
#include "hid/HidBackend.h"
#include "hid/Transport.h"

namespace keyloom::hid {

// The transport to the keyboard: opens the interface that discovery selects and moves feature
// reports. Every operation passes the device gate first; the transfer itself runs outside it
// unless the caller holds the gate (GateHold on gate()) for a whole command sequence.
//
// States: closed (never opened, or closed) -> open (Open succeeded) or failed (discovery found the
// keyboard but its path could not be opened). Transfers fail at once while closed and fail in the
// platform while failed; Close and the next Open leave the failed state.
class HidDevice : public Transport {
 public:
  enum class State { kClosed, kOpen, kFailed };

  HidDevice(HidBackend& backend, DeviceGate& gate, DiagnosticTrace trace = {});
  ~HidDevice() override;

  HidDevice(const HidDevice&) = delete;
  HidDevice& operator=(const HidDevice&) = delete;

  // Finds the interface (the one enumerated last among the matches) and opens it. When nothing
  // matches, returns false and keeps the current handle; otherwise the old handle is closed
  // first, then the new path opened.
  bool Open(const DeviceSelector& selector);
  void Close();

  bool SetFeature(const Report& report) override;
  bool GetFeature(Report& report) override;

  void PassDeviceGate();

  // The gate that every operation passes; a caller holds it for a whole command sequence.
  [[nodiscard]] DeviceGate& gate() { return gate_; }

  [[nodiscard]] State state() const { return state_; }

  // The path and the error of the last open that found an interface.
  [[nodiscard]] const std::string& lastOpenPath() const { return lastOpenPath_; }
  [[nodiscard]] OpenError lastOpenError() const { return lastOpenError_; }
  [[nodiscard]] int lastNativeError() const { return lastNativeError_; }

 private:
  HidBackend& backend_;
  DeviceGate& gate_;
  DiagnosticTrace trace_;
  std::unique_ptr<HidHandle> handle_;
  State state_ = State::kClosed;
  std::string lastOpenPath_;
  OpenError lastOpenError_ = OpenError::kNone;
  int lastNativeError_ = 0;
};

}  // namespace keyloom::hid

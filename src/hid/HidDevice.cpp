#include "hid/HidDevice.h"

#include <utility>

#include "hid/HidTrace.h"

namespace keyloom::hid {

HidDevice::HidDevice(HidBackend& backend, DeviceGate& gate, DiagnosticTrace trace)
    : backend_(backend), gate_(gate), trace_(std::move(trace)) {}

HidDevice::~HidDevice() = default;

bool HidDevice::Open(const DeviceSelector& selector) {
  PassDeviceGate();
  const std::vector<HidInterfaceInfo> found = backend_.FindInterfaces(selector, trace_);
  if (found.empty()) {
    return false;
  }
  handle_.reset();
  state_ = State::kClosed;

  const std::string& path = found.front().path;
  OpenResult result = backend_.OpenPath(path);
  if (trace_) {
    trace_(OpenDevTraceLine(result.traceValue));
  }
  handle_ = std::move(result.handle);
  state_ = handle_ ? State::kOpen : State::kFailed;
  lastOpenPath_ = path;
  lastOpenError_ = handle_ ? OpenError::kNone : result.error;
  lastNativeError_ = handle_ ? 0 : result.nativeError;
  return state_ == State::kOpen;
}

void HidDevice::Close() {
  PassDeviceGate();
  handle_.reset();
  state_ = State::kClosed;
}

bool HidDevice::SetFeature(const Report& report) {
  PassDeviceGate();
  return handle_ && handle_->SetFeature(report);
}

bool HidDevice::GetFeature(Report& report) {
  PassDeviceGate();
  return handle_ && handle_->GetFeature(report);
}

void HidDevice::PassDeviceGate() {
  gate_.Pass();
}

}  // namespace keyloom::hid

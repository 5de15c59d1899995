#include <windows.h>

#include "hid/DeviceGate.h"
#include "hid/WideText.h"

namespace keyloom::hid {
namespace {

// The gate as the named mutex of the session's object namespace, opened once and kept for the
// gate's life.
class NamedDeviceGate final : public DeviceGate {
 public:
  explicit NamedDeviceGate(const std::string& name)
      : mutex_(CreateMutexW(nullptr, FALSE, WideFromUtf8(name).c_str())) {}
  ~NamedDeviceGate() override {
    if (mutex_ != nullptr) {
      CloseHandle(mutex_);
    }
  }

  NamedDeviceGate(const NamedDeviceGate&) = delete;
  NamedDeviceGate& operator=(const NamedDeviceGate&) = delete;

  void Pass() override {
    if (mutex_ == nullptr) {
      return;
    }
    // An abandoned mutex is owned by this thread all the same and must be given back.
    const DWORD wait = WaitForSingleObject(mutex_, INFINITE);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
      ReleaseMutex(mutex_);
    }
  }

 private:
  HANDLE mutex_;
};

}  // namespace

std::unique_ptr<DeviceGate> MakeNamedDeviceGate(const std::string& name) {
  return std::make_unique<NamedDeviceGate>(name);
}

}  // namespace keyloom::hid

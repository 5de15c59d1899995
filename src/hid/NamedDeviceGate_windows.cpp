#include <string>
#include <utility>

#include <windows.h>

#include "hid/DeviceGate.h"
#include "hid/WideText.h"

namespace keyloom::hid {
namespace {

// The gate as the named mutex of the session's object namespace, opened once and kept for the
// gate's life. The mutex is owned by a thread and counts that thread's waits, so holds nest and
// the threads of this process exclude each other as other processes do.
class NamedDeviceGate final : public DeviceGate {
 public:
  explicit NamedDeviceGate(const std::string& name)
      : name_(name), mutex_(CreateMutexW(nullptr, FALSE, WideFromUtf8(name).c_str())) {}
  ~NamedDeviceGate() override {
    if (mutex_ != nullptr) {
      CloseHandle(mutex_);
    }
  }

  NamedDeviceGate(const NamedDeviceGate&) = delete;
  NamedDeviceGate& operator=(const NamedDeviceGate&) = delete;

  // Inside a hold of this thread the wait returns at once and the release only undoes it: the
  // mutex counts its owner's waits.
  void Pass() override {
    if (Wait()) {
      ReleaseMutex(mutex_);
    }
  }

  void Enter() override { Wait(); }

  void Leave() override {
    if (mutex_ != nullptr) {
      ReleaseMutex(mutex_);
    }
  }

  // Set before the gate is used by more than one thread.
  void NoticeLongWaits(std::chrono::milliseconds after, WaitNotice notice) override {
    noticeAfter_ = after;
    notice_ = std::move(notice);
  }

 private:
  // True when this thread now owns the mutex once more. An abandoned mutex is owned by this
  // thread all the same and must be given back.
  bool Wait() {
    if (mutex_ == nullptr) {
      return false;
    }
    DWORD wait = WAIT_TIMEOUT;
    if (notice_) {
      wait = WaitForSingleObject(mutex_, static_cast<DWORD>(noticeAfter_.count()));
      if (wait == WAIT_TIMEOUT) {
        notice_("the mutex \"" + name_ + "\"");
      }
    }
    if (wait == WAIT_TIMEOUT) {
      wait = WaitForSingleObject(mutex_, INFINITE);
    }
    return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
  }

  std::string name_;
  HANDLE mutex_;
  std::chrono::milliseconds noticeAfter_{0};
  WaitNotice notice_;
};

}  // namespace

std::unique_ptr<DeviceGate> MakeNamedDeviceGate(const std::string& name) {
  return std::make_unique<NamedDeviceGate>(name);
}

}  // namespace keyloom::hid

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "FakeHid.h"
#include "hid/DeviceGate.h"
#include "hid/HidDevice.h"

namespace keyloom::hid {
namespace {

constexpr DeviceSelector kKeyboard{0x258a, 0x002a, 1, 2};
constexpr Report kFrame{0x07, 0xfc, 0x01, 0, 0, 0, 0, 0};

// named_mutex_holder's exit status when it took the mutex, not abandoned, and did its part; and
// when it was told to try the mutex and another thread owned it.
constexpr DWORD kHolderDone = 0;
constexpr DWORD kHolderFoundTheMutexBusy = 5;

// How long a transfer is watched for not passing a held gate.
constexpr auto kBlockedFor = std::chrono::milliseconds(150);
// Generous: the first start of a process under Wine is slow.
constexpr DWORD kProcessWaitMs = 60000;

std::wstring Wide(const std::string& text) {
  return {text.begin(), text.end()};
}

std::filesystem::path HolderProgram() {
  std::vector<wchar_t> name(32768);
  const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
  return std::filesystem::path(std::wstring(name.data(), length)).parent_path() /
         L"named_mutex_holder.exe";
}

// A named_mutex_holder process on a mutex name, with the two events that it and the test share.
class Holder {
 public:
  Holder(const std::string& mutexName, const std::wstring& mode) {
    static std::atomic<int> counter{0};
    const std::string prefix = "KeyloomTestHolder-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(counter++);
    lockedName_ = Wide(prefix + "-locked");
    releaseName_ = Wide(prefix + "-release");
    locked_ = CreateEventW(nullptr, TRUE, FALSE, lockedName_.c_str());
    release_ = CreateEventW(nullptr, TRUE, FALSE, releaseName_.c_str());
    std::wstring commandLine = L"\"" + HolderProgram().wstring() + L"\" " + Wide(mutexName) + L" " +
                               lockedName_ + L" " + releaseName_ + L" " + mode;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &process_) != FALSE;
  }
  ~Holder() {
    if (started_) {
      SetEvent(release_);
      WaitForSingleObject(process_.hProcess, kProcessWaitMs);
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
    }
    CloseHandle(locked_);
    CloseHandle(release_);
  }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;

  // True once the holder owns the mutex; false when it ended or could not take it in time.
  bool WaitUntilLocked() {
    if (!started_) {
      return false;
    }
    const HANDLE either[] = {locked_, process_.hProcess};
    return WaitForMultipleObjects(2, either, FALSE, kProcessWaitMs) == WAIT_OBJECT_0;
  }

  void Release() { SetEvent(release_); }

  // The holder's exit status once it ended; STILL_ACTIVE when it did not end in time.
  DWORD ExitStatus() {
    DWORD status = STILL_ACTIVE;
    if (started_ && WaitForSingleObject(process_.hProcess, kProcessWaitMs) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process_.hProcess, &status);
    }
    return status;
  }

 private:
  std::wstring lockedName_;
  std::wstring releaseName_;
  HANDLE locked_ = nullptr;
  HANDLE release_ = nullptr;
  PROCESS_INFORMATION process_{};
  bool started_ = false;
};

class NamedDeviceGateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend.AddInterface(R"(\\?\hid#vid_258a&pid_002a&mi_01&col02#keyloom#{test})");
    ASSERT_TRUE(device.Open(kKeyboard));
  }

  // Starts a transfer on another thread, checks that it waits while the holder owns the gate and
  // goes through once the holder lets go.
  void ExpectTransferWaitsFor(Holder& holder) {
    const int before = backend.setCount.load();
    std::thread transfer([this] { EXPECT_TRUE(device.SetFeature(kFrame)); });
    std::this_thread::sleep_for(kBlockedFor);
    EXPECT_EQ(backend.setCount.load(), before) << "the transfer did not wait for the holder";
    holder.Release();
    transfer.join();
    EXPECT_EQ(backend.setCount.load(), before + 1);
  }

  // A name of its own, so that the test neither waits for nor holds off a real user of the gate.
  const std::string name = "KeyloomTestGate-" + std::to_string(GetCurrentProcessId()) + "-" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name();
  test::EventLog log;
  test::FakeBackend backend{log};
  std::unique_ptr<DeviceGate> gate = MakeNamedDeviceGate(name);
  HidDevice device{backend, *gate};
};

TEST_F(NamedDeviceGateTest, ATransferWaitsWhileAnotherProcessHoldsTheGate) {
  Holder holder(name, L"release");
  ASSERT_TRUE(holder.WaitUntilLocked()) << "the holder could not take the mutex";
  ExpectTransferWaitsFor(holder);
  EXPECT_EQ(holder.ExitStatus(), kHolderDone);
}

// The gate of this process must leave the mutex free after each pass, or the other process
// would wait for it.
TEST_F(NamedDeviceGateTest, AnotherProcessTakesTheGateRightAfterThisOnePassedIt) {
  EXPECT_TRUE(device.SetFeature(kFrame));
  EXPECT_TRUE(device.SetFeature(kFrame));
  Holder holder(name, L"release");
  ASSERT_TRUE(holder.WaitUntilLocked()) << "the gate kept the mutex";
  holder.Release();
  EXPECT_EQ(holder.ExitStatus(), kHolderDone);
}

// A holder that ends without letting go abandons the mutex. The waiting transfer then owns it
// and must still give it back, or every later user of the name would find it abandoned or wait.
TEST_F(NamedDeviceGateTest, AGateAbandonedByItsHolderLetsTransfersThroughAndIsGivenBack) {
  {
    Holder abandoning(name, L"abandon");
    ASSERT_TRUE(abandoning.WaitUntilLocked());
    ExpectTransferWaitsFor(abandoning);
    EXPECT_EQ(abandoning.ExitStatus(), kHolderDone);
  }
  EXPECT_TRUE(device.SetFeature(kFrame));

  Holder next(name, L"release");
  ASSERT_TRUE(next.WaitUntilLocked()) << "the gate kept the abandoned mutex";
  next.Release();
  EXPECT_EQ(next.ExitStatus(), kHolderDone) << "the mutex was still abandoned";
}

// One gate held for a sequence, with nested holds, passes and transfers inside it: after each
// step, whether another process is kept out.
TEST_F(NamedDeviceGateTest, AHoldKeepsOtherProcessesOutUntilItsLastLeave) {
  struct Step {
    const char* what;
    std::function<void()> action;
    bool heldAfter;
  };
  const std::vector<Step> steps = {
      {"transfer", [&] { EXPECT_TRUE(device.SetFeature(kFrame)); }, false},
      {"enter", [&] { device.gate().Enter(); }, true},
      {"pass inside the hold", [&] { gate->Pass(); }, true},
      {"nested enter", [&] { gate->Enter(); }, true},
      {"nested leave", [&] { gate->Leave(); }, true},
      {"transfer inside the hold", [&] { EXPECT_TRUE(device.SetFeature(kFrame)); }, true},
      {"last leave", [&] { gate->Leave(); }, false},
  };
  for (const Step& step : steps) {
    step.action();
    Holder probe(name, L"try");
    EXPECT_EQ(probe.ExitStatus(), step.heldAfter ? kHolderFoundTheMutexBusy : kHolderDone)
        << "after " << step.what;
  }
}

}  // namespace
}  // namespace keyloom::hid

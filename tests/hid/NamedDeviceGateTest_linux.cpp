#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FakeHid.h"
#include "hid/HidDevice.h"
#include "hid/NamedDeviceGate_linux.h"

namespace keyloom::hid {
namespace {

constexpr DeviceSelector kKeyboard{0x258a, 0x002a, 1, 2};
constexpr Report kFrame{0x07, 0xfc, 0x01, 0, 0, 0, 0, 0};

class NamedDeviceGateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "keyloom-gate-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  std::filesystem::path folder;
};

TEST_F(NamedDeviceGateTest, CreatesTheLockFileForEveryoneWhateverTheUmask) {
  const mode_t previous = umask(077);
  const auto gate = MakeNamedDeviceGate("HidDevice", folder);
  umask(previous);
  struct stat status {};
  ASSERT_EQ(stat((folder / "HidDevice.lock").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0666u);
  gate->Pass();
  gate->Pass();
}

TEST_F(NamedDeviceGateTest, PassesAndHoldsAtOnceWhenTheLockFileCannotBeOpened) {
  const auto gate = MakeNamedDeviceGate("HidDevice", folder / "missing");
  gate->Pass();
  {
    const GateHold hold(*gate);
    const GateHold nested(*gate);
    gate->Pass();
  }
  EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
}

// Whether a forked process could take the lock file now, without waiting.
bool AnotherProcessCouldTakeTheLock(const std::filesystem::path& lockFile) {
  const pid_t child = fork();
  if (child == 0) {
    const int fd = open(lockFile.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
      _exit(2);
    }
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
      _exit(0);
    }
    _exit(errno == EWOULDBLOCK ? 1 : 2);
  }
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << "the probe could not try the lock";
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// One gate held for a sequence, with nested holds, passes and transfers inside it, and a second
// gate of the same name beside it: after each step, whether another process is kept out.
TEST_F(NamedDeviceGateTest, AHoldKeepsOtherProcessesOutUntilItsLastLeave) {
  test::EventLog log;
  test::FakeBackend backend{log};
  backend.AddInterface("/dev/hidraw3");
  const auto gate = MakeNamedDeviceGate("HidDevice", folder);
  const auto sameName = MakeNamedDeviceGate("HidDevice", folder);
  HidDevice device{backend, *gate};
  ASSERT_TRUE(device.Open(kKeyboard));

  struct Step {
    const char* what;
    std::function<void()> action;
    bool heldAfter;
  };
  const std::vector<Step> steps = {
      {"pass", [&] { gate->Pass(); }, false},
      {"pass of another gate of the name", [&] { sameName->Pass(); }, false},
      {"transfer", [&] { EXPECT_TRUE(device.SetFeature(kFrame)); }, false},
      {"enter", [&] { device.gate().Enter(); }, true},
      {"pass inside the hold", [&] { gate->Pass(); }, true},
      {"transfer inside the hold", [&] { EXPECT_TRUE(device.SetFeature(kFrame)); }, true},
      {"nested enter", [&] { gate->Enter(); }, true},
      {"nested leave", [&] { gate->Leave(); }, true},
      {"read inside the hold",
       [&] {
         Report r{0x07};
         EXPECT_TRUE(device.GetFeature(r));
       },
       true},
      {"last leave", [&] { gate->Leave(); }, false},
  };
  const auto lockFile = folder / "HidDevice.lock";
  for (const Step& step : steps) {
    step.action();
    EXPECT_EQ(AnotherProcessCouldTakeTheLock(lockFile), !step.heldAfter) << "after " << step.what;
  }
}

// Another thread of this process is held off as another process is: its pass and its hold wait
// for the hold of the first thread.
TEST_F(NamedDeviceGateTest, TheThreadsOfOneProcessExcludeEachOther) {
  const auto gate = MakeNamedDeviceGate("HidDevice", folder);
  const std::vector<std::pair<const char*, std::function<void()>>> waits = {
      {"pass", [&] { gate->Pass(); }},
      {"hold", [&] { const GateHold hold(*gate); }},
  };
  for (const auto& [what, action] : waits) {
    std::atomic<bool> through{false};
    std::thread other;
    {
      const GateHold hold(*gate);
      other = std::thread([&through, &action] {
        action();
        through = true;
      });
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      EXPECT_FALSE(through.load()) << "the other thread's " << what << " did not wait";
    }
    other.join();
    EXPECT_TRUE(through.load());
  }
}

// Another process holds the gate: a transfer of this one waits until it lets go.
TEST_F(NamedDeviceGateTest, ATransferWaitsWhileAnotherProcessHoldsTheGate) {
  test::EventLog log;
  test::FakeBackend backend{log};
  backend.AddInterface("/dev/hidraw3");
  const auto gate = MakeNamedDeviceGate("HidDevice", folder);
  HidDevice device{backend, *gate};
  ASSERT_TRUE(device.Open(kKeyboard));

  int locked[2];
  int release[2];
  ASSERT_EQ(pipe(locked), 0);
  ASSERT_EQ(pipe(release), 0);
  const std::string lockPath = (folder / "HidDevice.lock").string();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int fd = open(lockPath.c_str(), O_RDWR | O_CLOEXEC);
    char signal = 'L';
    if (fd < 0 || flock(fd, LOCK_EX) != 0 || write(locked[1], &signal, 1) != 1) {
      _exit(1);
    }
    while (read(release[0], &signal, 1) < 0) {
    }
    _exit(0);
  }
  close(locked[1]);
  close(release[0]);
  char signal = 0;
  ASSERT_EQ(read(locked[0], &signal, 1), 1) << "the holder could not take the lock";

  std::thread transfer([&device] { EXPECT_TRUE(device.SetFeature(kFrame)); });
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(backend.setCount.load(), 0) << "the transfer did not wait for the holder";

  signal = 'R';
  EXPECT_EQ(write(release[1], &signal, 1), 1);
  transfer.join();
  EXPECT_EQ(backend.setCount.load(), 1);

  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  close(locked[0]);
  close(release[1]);
}

}  // namespace
}  // namespace keyloom::hid

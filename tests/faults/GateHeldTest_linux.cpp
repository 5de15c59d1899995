// Another process holds the gate "HidDevice" in the middle of a record download whose frames
// are being rejected: the program waits, without a time-out, for the holder, then goes on where
// it was; every try of every frame passed the gate first, and the keyboard gets the whole record.

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestFiles.h"
#include "hid/DeviceGate.h"
#include "hid/HidDevice.h"
#include "hid/NamedDeviceGate_linux.h"
#include "protocol/KeyEvent.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/TracingTransport.h"
#include "protocol/VirtualClock.h"
#include "sim/SimulatedHidBackend.h"
#include "sim/SimulatedKeyboard.h"

namespace keyloom::faults {
namespace {

constexpr hid::DeviceSelector kKeyboard{0x258a, 0x002a, 1, 2};

// A child process that takes the lock file of the gate when asked and lets it go when told.
class GateHolder {
 public:
  explicit GateHolder(const std::filesystem::path& lockFile) {
    int toChild[2];
    int toParent[2];
    if (pipe(toChild) != 0 || pipe(toParent) != 0) {
      ADD_FAILURE() << "no pipes";
      return;
    }
    child_ = fork();
    if (child_ == 0) {
      close(toChild[1]);
      close(toParent[0]);
      const int fd = open(lockFile.c_str(), O_RDWR | O_CLOEXEC);
      char command = 0;
      while (fd >= 0 && read(toChild[0], &command, 1) == 1 && command != 'Q') {
        const int done = flock(fd, command == 'T' ? LOCK_EX : LOCK_UN);
        const char answer = done == 0 ? command : 'E';
        if (write(toParent[1], &answer, 1) != 1) {
          break;
        }
      }
      _exit(fd >= 0 ? 0 : 1);
    }
    close(toChild[0]);
    close(toParent[1]);
    commands_ = toChild[1];
    answers_ = toParent[0];
  }

  ~GateHolder() {
    Ask('Q');
    int status = 0;
    waitpid(child_, &status, 0);
    close(commands_);
    close(answers_);
  }

  GateHolder(const GateHolder&) = delete;
  GateHolder& operator=(const GateHolder&) = delete;

  // Both return once the child holds, or has given up, the lock.
  bool Take() { return Ask('T'); }
  bool Release() { return Ask('U'); }

 private:
  bool Ask(char command) {
    char answer = 0;
    return write(commands_, &command, 1) == 1 &&
           (command == 'Q' || (read(answers_, &answer, 1) == 1 && answer == command));
  }

  pid_t child_ = -1;
  int commands_ = -1;
  int answers_ = -1;
};

// Counts the passes through the real gate and runs `beforePass` with the number of each pass
// (from 1) before it.
class CountingGate : public hid::DeviceGate {
 public:
  CountingGate(hid::DeviceGate& inner, std::function<void(int)> beforePass)
      : inner_(inner), beforePass_(std::move(beforePass)) {}

  void Pass() override {
    const int pass = ++passes_;
    beforePass_(pass);
    inner_.Pass();
  }
  void Enter() override { inner_.Enter(); }
  void Leave() override { inner_.Leave(); }
  void NoticeLongWaits(std::chrono::milliseconds after, WaitNotice notice) override {
    inner_.NoticeLongWaits(after, std::move(notice));
  }

  [[nodiscard]] int passes() const { return passes_; }

 private:
  hid::DeviceGate& inner_;
  std::function<void(int)> beforePass_;
  std::atomic<int> passes_{0};
};

// A wait for another process is told once, naming the lock file; a gate that is free is not.
TEST(GateHeldByAnotherProcess, ALongWaitIsToldOnceWithTheLockFile) {
  storage::test::TempFolder folder;
  const auto gate = hid::MakeNamedDeviceGate(hid::kDeviceGateName, folder.Path());
  std::vector<std::string> told;
  std::mutex toldMutex;
  gate->NoticeLongWaits(std::chrono::milliseconds(50), [&](const std::string& where) {
    const std::lock_guard lock(toldMutex);
    told.push_back(where);
  });
  gate->Pass();
  { const hid::GateHold free(*gate); }
  EXPECT_TRUE(told.empty());

  GateHolder holder(folder / "HidDevice.lock");
  ASSERT_TRUE(holder.Take());
  std::atomic<bool> inside{false};
  std::thread waiter([&] {
    const hid::GateHold hold(*gate);
    inside = true;
  });
  for (;;) {
    {
      const std::lock_guard lock(toldMutex);
      if (!told.empty()) {
        break;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_FALSE(inside);
  ASSERT_TRUE(holder.Release());
  waiter.join();
  EXPECT_TRUE(inside);
  EXPECT_EQ(told, std::vector<std::string>{(folder / "HidDevice.lock").string()});
}

TEST(GateHeldByAnotherProcess, TheDownloadWaitsAndThenGoesOnWithEveryTryGated) {
  storage::test::TempFolder folder;
  const auto realGate = hid::MakeNamedDeviceGate(hid::kDeviceGateName, folder.Path());
  GateHolder holder(folder / "HidDevice.lock");
  sim::SimulatedKeyboard keyboard;

  // Pass 1 is the open; pass n + 1 comes before transfer n. Transfers 5-7, the first three tries
  // of frame 5, are rejected, and the other process takes the gate just before the third.
  constexpr int kFirstRejectedPass = 1 + 5;
  constexpr int kHeldPass = 1 + 7;
  std::atomic<bool> waiting{false};
  std::atomic<bool> held{false};
  CountingGate gate(*realGate, [&](int pass) {
    if (pass == kFirstRejectedPass) {
      keyboard.FailNextTransfers(3);
    }
    if (pass == kHeldPass) {
      held = holder.Take();
      waiting = true;
    }
  });

  sim::SimulatedHidBackend backend(keyboard, kKeyboard);
  hid::HidDevice device(backend, gate);
  ASSERT_TRUE(device.Open(kKeyboard));
  std::vector<std::string> transfers;
  protocol::TracingTransport traced(
      device, [&transfers](std::string_view l) { transfers.emplace_back(l); });
  protocol::VirtualClock clock;
  protocol::Link link{traced, clock};

  protocol::KeyAssignmentRecord record;
  record.SetRepeatCount(1);
  for (std::size_t i = 0; i < 40; ++i) {
    record.SetEvent(i, protocol::MakeKeyEvent(0x04, i % 2 == 1, 20));
  }
  protocol::KeyboardState state;
  state.slotsWhole = true;
  std::thread assignment([&] {
    protocol::ApplyKeyAssignment(link, state, 0, record, {{0x07, "D"}});
  });

  for (int i = 0; i < 500 && !waiting; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(waiting) << "the download never reached the held pass";
  EXPECT_TRUE(held) << "the other process could not take the gate";
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(gate.passes(), kHeldPass) << "the download went on while another process held the gate";
  EXPECT_EQ(transfers.size(), static_cast<std::size_t>(kHeldPass - 2));
  EXPECT_TRUE(holder.Release());
  assignment.join();

  // 28 frames with three rejected tries, then the slot read: one request and four reads.
  ASSERT_EQ(transfers.size(), 28u + 3u + 5u);
  EXPECT_EQ(gate.passes(), 1 + static_cast<int>(transfers.size())) << "a try skipped the gate";
  for (std::size_t t = 4; t < 8; ++t) {
    EXPECT_EQ(transfers[t].substr(0, 20), transfers[4].substr(0, 20));
    EXPECT_EQ(transfers[t].ends_with(" ok"), t == 7) << transfers[t];
  }
  const auto kept = keyboard.CurrentState().profiles[0].macros[0];
  EXPECT_EQ(kept.keyCode, 0x07);
  EXPECT_EQ(kept.record, record);
  EXPECT_EQ(state.slots.slot(protocol::KeySlotTable::Half::kMacro, 0), 0x07);
}

}  // namespace
}  // namespace keyloom::faults

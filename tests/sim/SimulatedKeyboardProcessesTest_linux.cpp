#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Frames.h"
#include "TempFolder.h"
#include "sim/SimulatedKeyboard.h"
#include "storage/UserFiles.h"

namespace keyloom::sim {
namespace {

// Fills every remap slot of `profile`, several rounds, as fast as it can; exits 0 when every
// frame was taken.
[[noreturn]] void RemapInChild(const std::filesystem::path& file, std::uint8_t profile) {
  SimulatedKeyboard keyboard(file);
  bool allTaken = true;
  for (std::uint8_t round = 0; round < 4; ++round) {
    for (std::uint8_t slot = 1; slot <= 12; ++slot) {
      const auto key = static_cast<std::uint8_t>(0x04 + slot);
      const auto target = static_cast<std::uint8_t>(0x20 + round);
      allTaken &=
          keyboard.SetFeature(testing::Frame({0x07, 0xFA, profile, slot, key, 0x01, target, 0x01}));
    }
  }
  _exit(allTaken && !keyboard.persistenceError() ? 0 : 1);
}

TEST(SimulatedKeyboardProcessesTest, ProcessesChangingOneFileAtOnceLoseNothing) {
  testing::TempFolder folder;
  const std::filesystem::path file = folder.path() / kStateFileName;
  std::vector<pid_t> children;
  for (const std::uint8_t profile : {std::uint8_t{1}, std::uint8_t{2}, std::uint8_t{3}}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      RemapInChild(file, profile);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  SimulatedKeyboard keyboard(file);
  const SimulatedKeyboardState state = keyboard.CurrentState();
  for (std::size_t profile = 0; profile < 3; ++profile) {
    for (std::size_t slot = 0; slot < 12; ++slot) {
      EXPECT_EQ(state.profiles[profile].remaps[slot].keyCode, 0x05 + slot)
          << "profile " << profile + 1 << " slot " << slot + 1;
      EXPECT_EQ(state.profiles[profile].remaps[slot].targetKeyCode, 0x23);
    }
  }
}

std::string Contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Another program keeps its own broken file aside under the same names at the same moments,
// each name taken only when it is free (as storage::MoveFileAside does): a broken state file
// kept aside meanwhile never replaces one of its files, and each lands under a name of its own.
TEST(SimulatedKeyboardProcessesTest, AKeptBrokenFileNeverReplacesAnotherKeptAtTheSameMoment) {
  testing::TempFolder folder;
  const std::filesystem::path file = folder.path() / kStateFileName;
  constexpr std::string_view kTheirs = "kept by another program";
  std::atomic<bool> done = false;
  std::vector<std::filesystem::path> theirs;
  std::thread other([&] {
    while (!done) {
      const auto now = std::chrono::system_clock::now();
      for (int attempt = 1; attempt < 4000 && !done; ++attempt) {
        const auto name = storage::AsideName(file, storage::kBrokenLabel, now, attempt);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
          EXPECT_EQ(::write(fd, kTheirs.data(), kTheirs.size()),
                    static_cast<ssize_t>(kTheirs.size()));
          ::close(fd);
          theirs.push_back(name);
          break;
        }
      }
    }
  });
  std::vector<std::filesystem::path> ours;
  for (int round = 0; round < 300; ++round) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << "<broken " << round;
    SimulatedKeyboard keyboard(file);
    if (const auto kept = keyboard.brokenStateKeptAs()) {
      ours.push_back(*kept);
      EXPECT_EQ(Contents(*kept), "<broken " + std::to_string(round));
    }
  }
  done = true;
  other.join();

  EXPECT_EQ(ours.size(), 300U);
  for (const std::filesystem::path& name : theirs) {
    EXPECT_EQ(Contents(name), kTheirs) << name << " was replaced";
  }
}

}  // namespace
}  // namespace keyloom::sim

#include <cstdint>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Frames.h"
#include "TempFolder.h"
#include "sim/SimulatedKeyboard.h"

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

}  // namespace
}  // namespace keyloom::sim

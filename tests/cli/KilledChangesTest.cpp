#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/CommandLine.h"
#include "keymap/KeyMapFile.h"
#include "protocol/VirtualClock.h"
#include "sim/SimulatedKeyboard.h"

// keyloomctl ended as kill -9 would end it right after each set transfer of an assignment, a
// lighting change and a small restore, one position after the other: afterwards what slots and a
// backup say of every key is what the keyboard holds, or said unknown, and a restore of the backup
// taken before makes the keyboard hold it again.
namespace keyloom::cli {
namespace {

namespace fs = std::filesystem;
using Half = protocol::KeySlotTable::Half;

class KilledChangesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("keyloomctl-killed-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(start_);
    std::ofstream(root_ / "config.xml") << R"(<usb vid="258a" pid="002a" interface="1"/>)";
    // The keyboard before: A plays "Copy" twice, B sends C, LED mode 4.
    data_ = start_;
    Ok({"macros", "add", "Copy", "\"Ctrl Left\" down 20, C down 30, C up 20, \"Ctrl Left\" up"});
    Ok({"macros", "add", "Hello", "--text", "Hello"});
    Ok({"assign", "A", "--macro", "Copy", "--repeat", "2"});
    Ok({"remap", "B", "C"});
    Ok({"light", "breathing", "--colour", "6"});
    Ok({"backup", (root_ / "before.xml").string()});
    // What the restore brings over the same keys: A plays "Hello" five times, B sends D.
    data_ = root_ / "scratch";
    fs::copy(start_, data_, fs::copy_options::recursive);
    Ok({"assign", "A", "--macro", "Hello", "--repeat", "5"});
    Ok({"remap", "B", "D"});
    Ok({"light", "2", "--colour", "3"});
    Ok({"backup", (root_ / "new.xml").string()});
    data_ = root_ / "run";
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Ok(std::vector<std::string> args) {
    args.insert(args.begin(), {"--config", (root_ / "config.xml").string(), "--data-dir",
                               data_.string(), "--simulate"});
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    Console console{in, out, err, false, &clock_, nullptr};
    EXPECT_EQ(cli::Run(args, console), kExitOk) << args.back() << ": " << err.str();
    return out.str();
  }

  // Runs the program in a fresh copy of the keyboard before, ended after set transfer `set`;
  // false when it ran to its end first.
  bool RunKilled(const std::string& command, int set) {
    fs::remove_all(data_);
    fs::copy(start_, data_, fs::copy_options::recursive);
    const std::string line = "KEYLOOM_SIMULATE_FAIL=kill:" + std::to_string(set) + " " +
                             (fs::path(KEYLOOM_BIN_DIR) / "keyloomctl").string() + " --config " +
                             (root_ / "config.xml").string() + " --data-dir " + data_.string() +
                             " --simulate " + command + " > /dev/null 2>&1";
    const int status = WEXITSTATUS(std::system(line.c_str()));
    EXPECT_TRUE(status == sim::kKilledStatus || status == kExitOk) << status;
    return status == sim::kKilledStatus;
  }

  sim::SimulatedKeyboardState Keyboard() const {
    return sim::SimulatedKeyboard(data_ / sim::kStateFileName).CurrentState();
  }

  // What a backup and slots say of every key and of the lighting is what the keyboard holds.
  void ExpectTheTruth() {
    Ok({"backup", (root_ / "now.xml").string()});
    keymap::KeyMapDocument backup;
    ASSERT_TRUE(keymap::ReadKeyMapFile(root_ / "now.xml", backup).ok());
    const sim::SimulatedKeyboardState keyboard = Keyboard();
    for (int p = 0; p < keymap::kProfileCount; ++p) {
      const auto& held = keyboard.profiles[static_cast<std::size_t>(p)];
      const nlohmann::json slots =
          nlohmann::json::parse(Ok({"--json", "slots", "--profile", std::to_string(p + 1)}));
      for (std::size_t slot = 0; slot < sim::SimulatedKeyboardState::kSlotsPerHalf; ++slot) {
        SCOPED_TRACE("profile " + std::to_string(p + 1) + ", slot " + std::to_string(slot + 1));
        const auto& macro = backup.map.Profile(p).At(Half::kMacro, slot);
        const auto& remap = backup.map.Profile(p).At(Half::kRemap, slot);
        EXPECT_EQ(macro ? macro->keyCode : 0, held.macros[slot].keyCode);
        EXPECT_EQ(remap ? remap->keyCode : 0, held.remaps[slot].keyCode);
        if (macro && macro->content.kind != keymap::ContentKind::kUnknown) {
          const auto sent = macro->content.Record().bytes();
          const auto kept = held.macros[slot].record.bytes();
          EXPECT_TRUE(std::equal(sent.begin() + 3, sent.end(), kept.begin() + 3));
        }
        if (remap && remap->content.kind != keymap::ContentKind::kUnknown) {
          EXPECT_EQ(remap->content.target, held.remaps[slot].targetKeyCode);
        }
        const nlohmann::json& shownMacro = slots["macroSlots"][slot];
        const nlohmann::json& shownRemap = slots["remapSlots"][slot];
        EXPECT_EQ(shownMacro["code"], held.macros[slot].keyCode);
        EXPECT_EQ(shownRemap["code"], held.remaps[slot].keyCode);
        if (shownMacro["code"] != 0 && shownMacro["assignment"]["kind"] == "macro") {
          EXPECT_EQ(shownMacro["assignment"]["repeat"], held.macros[slot].record.repeatCount());
        }
        if (shownRemap["code"] != 0 && shownRemap["assignment"]["kind"] == "key") {
          EXPECT_EQ(shownRemap["assignment"]["targetCode"], held.remaps[slot].targetKeyCode);
        }
      }
    }
    for (int mode = 0; mode < protocol::LightingTable::kModeCount; ++mode) {
      if (const auto& record = backup.map.Lighting(mode)) {
        EXPECT_EQ(*record, keyboard.lighting[mode]) << "LED mode " << mode;
      }
    }
    if (const auto mode = backup.map.LedMode()) {
      EXPECT_EQ(*mode, keyboard.ledMode);
    }
  }

  // After a restore of the backup taken before, the keyboard holds it.
  void ExpectTheBackupBeforeRestored() {
    Ok({"restore", (root_ / "before.xml").string()});
    const sim::SimulatedKeyboardState keyboard = Keyboard();
    const sim::SimulatedKeyboardState before =
        sim::SimulatedKeyboard(start_ / sim::kStateFileName).CurrentState();
    EXPECT_EQ(keyboard.profiles, before.profiles);
    EXPECT_EQ(keyboard.ledMode, before.ledMode);
    EXPECT_EQ(keyboard.lighting[before.ledMode], before.lighting[before.ledMode]);
    EXPECT_EQ(keyboard.activeProfile, before.activeProfile);
  }

  fs::path root_;
  fs::path start_ =
      fs::temp_directory_path() / ("keyloomctl-killed-" + std::to_string(::getpid())) / "start";
  fs::path data_;
  protocol::VirtualClock clock_;
};

TEST_F(KilledChangesTest, AfterAKillAtAnyFrameEveryKeyIsTrueOrUnknown) {
  const std::string commands[] = {"assign A --macro Hello --repeat 5", "light 2 --colour 3",
                                  "restore " + (root_ / "new.xml").string()};
  for (const std::string& command : commands) {
    int set = 1;
    for (; RunKilled(command, set); ++set) {
      SCOPED_TRACE(command + ", killed after set " + std::to_string(set));
      ExpectTheTruth();
      ExpectTheBackupBeforeRestored();
      if (HasFailure()) {
        return;
      }
    }
    EXPECT_GT(set, 1) << command;
  }
}

// With the key map not saveable (its folder's lock cannot be taken), every change fails with
// status 3, names the reason, and sends nothing.
TEST_F(KilledChangesTest, AChangeTheKeyMapCannotRecordSendsNothing) {
  fs::remove_all(data_);
  fs::copy(start_, data_, fs::copy_options::recursive);
  fs::remove(data_ / ".keyloom.lock");
  fs::create_directory(data_ / ".keyloom.lock");
  const sim::SimulatedKeyboardState before = Keyboard();
  const std::vector<std::vector<std::string>> changes = {{"assign", "A", "--key", "D"},
                                                         {"clear", "B"},
                                                         {"light", "3"},
                                                         {"profile", "2"},
                                                         {"copy-profile", "1", "3"},
                                                         {"restore", (root_ / "new.xml").string()},
                                                         {"factory-reset", "--yes"}};
  for (std::vector<std::string> args : changes) {
    args.insert(args.begin(), {"--config", (root_ / "config.xml").string(), "--data-dir",
                               data_.string(), "--simulate", "--json"});
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    Console console{in, out, err, false, &clock_, nullptr};
    EXPECT_EQ(cli::Run(args, console), kExitNotDone) << args[6];
    EXPECT_EQ(nlohmann::json::parse(out.str())["error"],
              "nothing was sent: the key map of what the keyboard holds could not record the "
              "change first (cannot lock the data folder (" +
                  (data_ / ".keyloom.lock").string() + "): is a directory)")
        << args[6];
    EXPECT_EQ(Keyboard(), before) << args[6];
  }
}

}  // namespace
}  // namespace keyloom::cli

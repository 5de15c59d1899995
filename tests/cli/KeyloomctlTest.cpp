#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include "cli/CommandLine.h"
#include "hid/HidBackend.h"
#include "protocol/KeyAssignmentRecord.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/VirtualClock.h"
#include "sim/SimulatedKeyboard.h"
#include "sim/SimulatedKeyboardState.h"

namespace keyloom::cli {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr const char* kConfig = R"(<?xml version="1.0" encoding="utf-8"?>
<local language="cn"/>
<usb vid="258a" pid="002A" interface="1" subdevice="-1"/>
<mediakey><key name="Mute" code="239"/></mediakey>
<functkey><key name="Copy" code="224, 6,"/><key code="1"/></functkey>
)";

struct Result {
  int status = -1;
  std::string out;
  std::string err;

  [[nodiscard]] std::vector<std::string> ErrLines() const {
    std::vector<std::string> lines;
    std::istringstream stream(err);
    for (std::string line; std::getline(stream, line);) {
      lines.push_back(line);
    }
    return lines;
  }
};

// A discovery that finds the keyboard but may not open it, as without the udev rule.
class AccessDeniedBackend : public hid::HidBackend {
 public:
  std::vector<hid::HidInterfaceInfo> FindInterfaces(const hid::DeviceSelector&,
                                                    const hid::DiagnosticTrace&) override {
    hid::HidInterfaceInfo info;
    info.path = "/dev/hidraw7";
    return {info};
  }
  hid::OpenResult OpenPath(const std::string&) override {
    hid::OpenResult result;
    result.error = hid::OpenError::kAccessDenied;
    result.nativeError = 13;
    return result;
  }
};

class KeyloomctlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("keyloomctl-test-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    std::ofstream(folder_ / "config.xml") << kConfig;
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Runs keyloomctl on this test's configuration and data folder.
  Result Run(std::vector<std::string> args, const std::string& input = {}) {
    args.insert(args.begin(),
                {"--config", (folder_ / "config.xml").string(), "--data-dir", folder_.string()});
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    Console console{in, out, err, interactive_, &clock_, systemBackend_};
    Result result;
    result.status = cli::Run(args, console);
    result.out = out.str();
    result.err = err.str();
    return result;
  }

  sim::SimulatedKeyboardState SimulatedState() {
    sim::SimulatedKeyboard keyboard(folder_ / sim::kStateFileName);
    return keyboard.CurrentState();
  }

  std::filesystem::path folder_;
  protocol::VirtualClock clock_;
  bool interactive_ = false;
  hid::HidBackend* systemBackend_ = nullptr;
};

// The slot read of a profile with nothing assigned, as the simulated keyboard answers it: the
// bytes the program must not use carry the keyboard's filler 0xee.
const std::vector<std::string> kReadOfEmptyProfile = {"pause 50",
                                                      "set 07fb010000000000 ok",
                                                      "pause 10",
                                                      "pause 10",
                                                      "get 07ee000000000000 ok",
                                                      "pause 10",
                                                      "get 07000000000000ee ok",
                                                      "pause 10",
                                                      "get 0700000000000000 ok",
                                                      "pause 10",
                                                      "get 070000000000eeee ok"};

TEST_F(KeyloomctlTest, RejectsBadArgumentsWithStatus2) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {},
           {"frobnicate"},
           {"profile", "4"},
           {"profile", "0"},
           {"slots", "--profile", "x"},
           {"light", "10"},
           {"light", "3", "--brightness", "4"},
           {"light", "1", "--direction", "up"},
           {"light", "8", "--speed", "2"},
           {"light", "3", "--direction", "left"},
           {"light", "0", "--areas", "0,0,0,0,0,0"},
           {"light", "8", "--areas", "0,0,0,0,0"},
           {"light", "8", "--areas", "0,0,0,0,0,7"},
           {"light", "8", "--areas", "0,0,0,0,0,0,"},
           {"--simulate", "remap", "A"},
           {"--simulate", "remap", "Hyper", "B"},
           {"--simulate", "remap", "A", "0x100"},
           {"--simulate", "clear", "0x00"},
           {"--simulate", "factory-reset"},
       }) {
    const Result result = Run(args);
    EXPECT_EQ(result.status, kExitUsage) << ::testing::PrintToString(args);
    EXPECT_FALSE(result.err.empty()) << ::testing::PrintToString(args);
  }
  // Nothing reached the simulated keyboard.
  EXPECT_FALSE(std::filesystem::exists(folder_ / sim::kStateFileName));
}

TEST_F(KeyloomctlTest, NamedConfigurationThatCannotBeReadIsAnError) {
  const Result result = Run({"--config", (folder_ / "missing.xml").string(), "config"});
  EXPECT_EQ(result.status, kExitUsage);
  EXPECT_THAT(result.err, HasSubstr("missing.xml"));
}

TEST_F(KeyloomctlTest, ConfigAsJsonUsesTheFieldNames) {
  const Result result = Run({"config", "--json"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  const auto json = nlohmann::json::parse(result.out);
  EXPECT_EQ(json["isChinese"], 1);
  EXPECT_EQ(json["vendorId"], 0x258a);
  EXPECT_EQ(json["productId"], 0x2a);
  EXPECT_EQ(json["interfaceNumber"], 1);
  EXPECT_EQ(json["collectionNumber"], -1);
  EXPECT_EQ(json["mediaKeys"], nlohmann::json::parse(R"([{"name":"Mute","codes":[239]}])"));
  EXPECT_EQ(json["functionKeys"], nlohmann::json::parse(R"([{"name":"Copy","codes":[224,6]}])"));
}

TEST_F(KeyloomctlTest, RemapTracesEveryFrameAndPause) {
  const Result result = Run({"--simulate", "--trace", "remap", "A", "B"});
  ASSERT_EQ(result.status, kExitOk) << result.err;

  std::vector<std::string> expected = {"set 07fc010000000000 ok", "pause 50"};
  expected.insert(expected.end(), kReadOfEmptyProfile.begin(), kReadOfEmptyProfile.end());
  expected.insert(
      expected.end(),
      {"set 07fa010104010501 ok", "pause 20", "pause 50", "set 07fb010000000000 ok", "pause 10",
       "pause 10", "get 07ee000000000000 ok", "pause 10", "get 07000000000000ee ok", "pause 10",
       "get 0704000000000000 ok", "pause 10", "get 070000000000eeee ok"});
  EXPECT_EQ(result.ErrLines(), expected);
  EXPECT_EQ(result.out, "A now sends B on profile 1 (remap slot 1).\n");
  EXPECT_EQ(clock_.totalPause(), std::chrono::milliseconds(50 + 100 + 20 + 100));
}

TEST_F(KeyloomctlTest, SlotsShowWhatEarlierRunsAssigned) {
  ASSERT_EQ(Run({"--simulate", "remap", "A", "B"}).status, kExitOk);
  ASSERT_EQ(Run({"--simulate", "remap", "Ctrl Left", "0x39", "--profile", "2"}).status, kExitOk);

  // Without --profile the keyboard's active profile is shown: the last one selected.
  Result result = Run({"--simulate", "slots"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out,
            "Active profile\n"
            "Macro slots (0 of 12 used)\n"
            "Remap slots (1 of 12 used):\n"
            "   1  Ctrl Left (0xe0)\n");

  result = Run({"--simulate", "--json", "slots", "--profile", "1"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  const auto json = nlohmann::json::parse(result.out);
  EXPECT_EQ(json["profile"], 1);
  EXPECT_EQ(json["remapSlots"][0]["code"], 4);
  EXPECT_EQ(json["remapSlots"][0]["key"], "A");
  EXPECT_EQ(json["remapSlots"][1]["key"], nullptr);
  EXPECT_EQ(json["macroSlots"].size(), 12U);

  const auto state = SimulatedState();
  EXPECT_EQ(state.profiles[0].remaps[0].keyCode, 0x04);
  EXPECT_EQ(state.profiles[0].remaps[0].targetKeyCode, 0x05);
  EXPECT_EQ(state.profiles[1].remaps[0].keyCode, 0xE0);
  EXPECT_EQ(state.profiles[1].remaps[0].targetKeyCode, 0x39);
}

TEST_F(KeyloomctlTest, ClearRemovesTheRemapAndSaysWhenThereWasNone) {
  ASSERT_EQ(Run({"--simulate", "remap", "A", "B"}).status, kExitOk);

  Result result = Run({"--simulate", "--trace", "clear", "a"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out, "Removed the remap of A on profile 1.\n");
  EXPECT_THAT(result.ErrLines(), ::testing::Contains("set 07fa010100010001 ok"));
  EXPECT_EQ(SimulatedState().profiles[0].remaps[0].keyCode, 0);

  result = Run({"--simulate", "--trace", "clear", "A"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out, "A had no macro or remap on profile 1.\n");
  // Nothing is sent for the key, but the slots are read again.
  std::vector<std::string> expected = {"set 07fc010000000000 ok", "pause 50"};
  expected.insert(expected.end(), kReadOfEmptyProfile.begin(), kReadOfEmptyProfile.end());
  expected.insert(expected.end(), kReadOfEmptyProfile.begin(), kReadOfEmptyProfile.end());
  EXPECT_EQ(result.ErrLines(), expected);
}

TEST_F(KeyloomctlTest, RemapWithEveryMacroSlotTakenSendsNothing) {
  {
    // Twelve other keys carry macros on profile 1.
    sim::SimulatedKeyboard keyboard(folder_ / sim::kStateFileName);
    protocol::VirtualClock clock;
    protocol::Link link{keyboard, clock};
    for (std::uint8_t slot = 1; slot <= 12; ++slot) {
      protocol::KeyAssignmentRecord record;
      record.SetProfileNumber(1);
      record.SetSlotNumber(slot);
      record.SetKeyCode(static_cast<std::uint8_t>(0x3A + slot));
      record.SetRepeatCount(1);
      protocol::WriteKeyRecord(link, record);
    }
  }
  const Result result = Run({"--simulate", "--trace", "remap", "A", "B"});
  EXPECT_EQ(result.status, kExitNotDone);
  EXPECT_THAT(result.err, HasSubstr("Insufficient space, please delete the record button first."));
  EXPECT_THAT(result.err, ::testing::Not(HasSubstr("07fa")));
  EXPECT_EQ(SimulatedState().profiles[0].remaps[0].keyCode, 0);
}

TEST_F(KeyloomctlTest, LightSendsTheModesDefaultsForWhatIsLeftOut) {
  Result result = Run({"--simulate", "--trace", "light", "3"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_THAT(result.ErrLines(), ElementsAre("pause 50", "set 07f7030101030300 ok"));
  EXPECT_EQ(result.out, "LED mode 3: brightness 3, colour 1 (record 0101030300)\n");

  result = Run({"--simulate", "--trace", "light", "1", "--colour", "5", "--direction", "right",
                "--speed", "0", "--brightness", "2"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_THAT(result.ErrLines(), ElementsAre("pause 50", "set 07f7010502000200 ok"));

  result = Run({"--simulate", "--trace", "--json", "light", "8", "--areas", "6,0,none,1,2,3",
                "--brightness", "1"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_THAT(result.ErrLines(), ElementsAre("pause 50", "set 07f70860f1230100 ok"));
  const auto json = nlohmann::json::parse(result.out);
  EXPECT_EQ(json["areas"], nlohmann::json::parse("[6,0,null,1,2,3]"));
  EXPECT_EQ(json["brightness"], 1);
  EXPECT_FALSE(json.contains("speed"));

  const auto state = SimulatedState();
  EXPECT_EQ(state.ledMode, 8);
}

TEST_F(KeyloomctlTest, FactoryResetAsksAndSendsOnlyOnYes) {
  ASSERT_EQ(Run({"--simulate", "remap", "A", "B"}).status, kExitOk);

  interactive_ = true;
  Result result = Run({"--simulate", "--trace", "factory-reset"}, "n\n");
  EXPECT_EQ(result.status, kExitNotDone);
  EXPECT_THAT(result.err,
              HasSubstr("All settings will be restored, are you sure you want to continue?"));
  EXPECT_THAT(result.err, ::testing::Not(HasSubstr("07f0")));
  EXPECT_EQ(SimulatedState().profiles[0].remaps[0].keyCode, 0x04);

  interactive_ = false;
  result = Run({"--simulate", "--trace", "factory-reset", "--yes"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  auto lines = result.ErrLines();
  ASSERT_GE(lines.size(), 4U);
  EXPECT_THAT(std::vector<std::string>(lines.begin(), lines.begin() + 4),
              ElementsAre("pause 50", "set 07f0aa0000000000 ok", "pause 800", "pause 50"));
  EXPECT_EQ(SimulatedState().profiles[0].remaps[0].keyCode, 0);
}

TEST_F(KeyloomctlTest, DevicesListsTheSimulatedKeyboard) {
  const Result result = Run({"--simulate", "--json", "devices"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  const auto json = nlohmann::json::parse(result.out);
  ASSERT_EQ(json.size(), 1U);
  EXPECT_EQ(json[0]["vendorId"], 0x258a);
  EXPECT_EQ(json[0]["productId"], 0x2a);
  EXPECT_EQ(json[0]["interfaceClass"], "{4d1e55b2-f16f-11cf-88cb001111000030}");
  EXPECT_EQ(json[0]["selected"], true);
  EXPECT_THAT(json[0]["path"].get<std::string>(), HasSubstr("hid#vid_258a&pid_002a&mi_01"));
}

TEST_F(KeyloomctlTest, AbsentKeyboardIsStatus1AndSaysWhatWasLookedFor) {
  std::ofstream(folder_ / "config.xml") << R"(<usb vid="fffe" pid="fffd" interface="-1"/>)";
  const Result result = Run({"slots"});
  EXPECT_EQ(result.status, kExitNoKeyboard);
  EXPECT_THAT(result.err, HasSubstr("keyboard not found"));
  EXPECT_THAT(result.err, HasSubstr("vendor id 0xfffe, product id 0xfffd, any interface"));
  EXPECT_THAT(result.out, IsEmpty());
}

TEST_F(KeyloomctlTest, KeyboardWithoutAccessNamesTheNodeAndTheFix) {
  AccessDeniedBackend backend;
  systemBackend_ = &backend;
  const Result result = Run({"remap", "A", "B"});
  EXPECT_EQ(result.status, kExitNoKeyboard);
  EXPECT_THAT(result.err, HasSubstr("/dev/hidraw7"));
  EXPECT_THAT(result.err, HasSubstr("permission denied"));
  EXPECT_THAT(result.err, HasSubstr("sudo setfacl -m u:$USER:rw /dev/hidraw7"));
}

TEST_F(KeyloomctlTest, ProgramRunsFromItsFolderAndReportsItsStatus) {
  const std::filesystem::path program = std::filesystem::path(KEYLOOM_BIN_DIR) / "keyloomctl";
  const std::string common = program.string() + " --config " + (folder_ / "config.xml").string() +
                             " --data-dir " + folder_.string();
  EXPECT_EQ(std::system((common + " --version > /dev/null").c_str()), 0);
  EXPECT_EQ(WEXITSTATUS(std::system((common + " --simulate remap A B > /dev/null").c_str())), 0);
  EXPECT_EQ(WEXITSTATUS(std::system((common + " profile 5 2> /dev/null").c_str())), kExitUsage);
  EXPECT_EQ(SimulatedState().profiles[0].remaps[0].keyCode, 0x04);
}

}  // namespace
}  // namespace keyloom::cli

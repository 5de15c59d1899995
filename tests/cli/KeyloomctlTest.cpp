#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include "cli/CommandLine.h"
#include "hid/HidBackend.h"
#include "keymap/KeyMapFile.h"
#include "macro/MacroEventList.h"
#include "macro/MacroLibrary.h"
#include "protocol/KeyAssignmentRecord.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/VirtualClock.h"
#include "sim/SimulatedKeyboard.h"
#include "sim/SimulatedKeyboardState.h"
#include "sim/TransferFailurePlan.h"

namespace keyloom::cli {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

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

  // Runs keyloomctl on this test's configuration and data folder (or `dataDir`).
  Result Run(std::vector<std::string> args, const std::string& input = {},
             const std::filesystem::path& dataDir = {}) {
    args.insert(args.begin(), {"--config", (folder_ / "config.xml").string(), "--data-dir",
                               (dataDir.empty() ? folder_ : dataDir).string()});
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    Console console{in, out, err, interactive_, &clock_, systemBackend_};
    console.progress = progress_;
    Result result;
    result.status = cli::Run(args, console);
    result.out = out.str();
    result.err = err.str();
    return result;
  }

  // Runs keyloomctl on the simulated keyboard with KEYLOOM_SIMULATE_FAIL set to `failures`.
  Result RunFailing(const char* failures, std::vector<std::string> args) {
    args.insert(args.begin(), "--simulate");
    ::setenv(sim::kSimulateFailVariable, failures, 1);
    Result result = Run(std::move(args));
    ::unsetenv(sim::kSimulateFailVariable);
    return result;
  }

  sim::SimulatedKeyboardState SimulatedState() {
    sim::SimulatedKeyboard keyboard(folder_ / sim::kStateFileName);
    return keyboard.CurrentState();
  }

  std::filesystem::path folder_;
  protocol::VirtualClock clock_;
  bool interactive_ = false;
  bool progress_ = false;
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

// The user's own config.xml in the data folder comes over the program's, element by element, as
// it does for keyloom.
TEST_F(KeyloomctlTest, TheUsersConfigurationComesOverTheProgramsOne) {
  const std::filesystem::path user = folder_ / "user";
  std::filesystem::create_directories(user);
  std::ofstream(user / "config.xml") << R"(<local language="en"/><usb vid="1234" pid="5678"/>)";

  Result result = Run({"config", "--json"}, {}, user);
  ASSERT_EQ(result.status, kExitOk) << result.err;
  const auto json = nlohmann::json::parse(result.out);
  EXPECT_EQ(json["isChinese"], nlohmann::json(false));
  EXPECT_EQ(json["languageSet"], nlohmann::json(true));
  // A whole element: the user's "usb" names no interface, so interface 0 must match.
  EXPECT_EQ(json["vendorId"], 0x1234);
  EXPECT_EQ(json["productId"], 0x5678);
  EXPECT_EQ(json["interfaceNumber"], 0);
  EXPECT_EQ(json["mediaKeys"].size(), 1U);

  result = Run({"config"}, {}, user);
  EXPECT_THAT(result.out, HasSubstr("The user's file, over it: " + (user / "config.xml").string()));
  EXPECT_THAT(result.out, HasSubstr("Language: English"));
}

TEST_F(KeyloomctlTest, ConfigAsJsonUsesTheFieldNames) {
  const Result result = Run({"config", "--json"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  const auto json = nlohmann::json::parse(result.out);
  EXPECT_EQ(json["isChinese"], nlohmann::json(true));
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

  // No program selected a profile yet: the change goes to profile 1, which it says.
  std::vector<std::string> expected = {
      "keyloomctl: profile 1 is made active (which one was active is not known: neither "
      "keyloomctl nor the window has selected a profile since the key map began; 'keyloomctl "
      "profile N' selects one)",
      "set 07fc010000000000 ok", "pause 50"};
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
            "Active profile: 2\n"
            "Macro slots (0 of 12 used)\n"
            "Remap slots (1 of 12 used):\n"
            "   1  Ctrl Left (0xe0) → CapsLock\n");

  result = Run({"--simulate", "--json", "slots", "--profile", "1"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  const auto json = nlohmann::json::parse(result.out);
  EXPECT_EQ(json["profile"], 1);
  EXPECT_EQ(json["remapSlots"][0]["code"], 4);
  EXPECT_EQ(json["remapSlots"][0]["key"], "A");
  EXPECT_EQ(json["remapSlots"][0]["assignment"],
            nlohmann::json::parse(R"({"kind":"key","target":"B","targetCode":5,
                                      "description":"A → B"})"));
  EXPECT_EQ(json["remapSlots"][1]["key"], nullptr);
  EXPECT_EQ(json["remapSlots"][1]["assignment"], nullptr);
  EXPECT_EQ(json["macroSlots"].size(), 12U);

  const auto state = SimulatedState();
  EXPECT_EQ(state.profiles[0].remaps[0].keyCode, 0x04);
  EXPECT_EQ(state.profiles[0].remaps[0].targetKeyCode, 0x05);
  EXPECT_EQ(state.profiles[1].remaps[0].keyCode, 0xE0);
  EXPECT_EQ(state.profiles[1].remaps[0].targetKeyCode, 0x39);
}

// The key commands change the profile that keyloomctl or the window selected last, and say so
// whenever they make another one active.
TEST_F(KeyloomctlTest, KeyCommandsKeepTheActiveProfileAndSayWhenTheyChangeIt) {
  Result result = Run({"--simulate", "--json", "slots"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  auto json = nlohmann::json::parse(result.out);
  EXPECT_EQ(json["profile"], nullptr);
  EXPECT_THAT(json["profileUnknownReason"].get<std::string>(),
              HasSubstr("'keyloomctl profile N' selects one"));
  EXPECT_THAT(Run({"--simulate", "slots"}).out, ::testing::StartsWith("Active profile: unknown ("));

  ASSERT_EQ(Run({"--simulate", "profile", "2"}).status, kExitOk);
  result = Run({"--simulate", "--trace", "remap", "A", "B"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.ErrLines().front(), "set 07fc020000000000 ok");
  EXPECT_THAT(result.err, Not(HasSubstr("07fc01")));
  EXPECT_THAT(result.err, Not(HasSubstr("made active")));
  EXPECT_EQ(result.out, "A now sends B on profile 2 (remap slot 1).\n");
  result = Run({"--simulate", "clear", "C"});
  EXPECT_EQ(result.out, "C had no macro or remap on profile 2.\n");
  EXPECT_EQ(SimulatedState().activeProfile, 1U);
  EXPECT_EQ(SimulatedState().profiles[1].remaps[0].keyCode, 0x04);
  EXPECT_THAT(Run({"--simulate", "slots"}).out, ::testing::StartsWith("Active profile: 2\n"));

  result = Run({"--simulate", "assign", "D", "--key", "E", "--profile", "3"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.err, "keyloomctl: profile 3 is made active (profile 2 was active)\n");
  EXPECT_EQ(SimulatedState().activeProfile, 2U);
  json = nlohmann::json::parse(Run({"--simulate", "--json", "slots"}).out);
  EXPECT_EQ(json["profile"], 3);
  EXPECT_EQ(json["profileUnknownReason"], nullptr);
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
  EXPECT_EQ(result.out, "LED mode 3 (Static): brightness 3, colour 1 (record 0101030300)\n");

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
  EXPECT_EQ(json["speed"], nullptr);

  const auto state = SimulatedState();
  EXPECT_EQ(state.ledMode, 8);
}

// The effects go by the names the window's list shows, or their identifiers, as well as by number,
// and the direction in any case; without one, light shows the lighting last sent.
TEST_F(KeyloomctlTest, LightTakesEffectNamesAndShowsTheLightingLastSent) {
  Result result = Run({"--simulate", "light"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_THAT(result.out, ::testing::StartsWith("Lighting: unknown (the key map does not know"));
  auto json = nlohmann::json::parse(Run({"--simulate", "--json", "light"}).out);
  EXPECT_EQ(json["mode"], nullptr);
  EXPECT_THAT(json["unknownReason"].get<std::string>(), HasSubstr("light MODE"));

  const std::vector<std::vector<std::string>> same[] = {
      {{"light", "1", "--direction", "right"},
       {"light", "1", "--direction", "Right"},
       {"light", "1", "--direction", "RIGHT"}},
      {{"light", "rainbow-wave", "--speed", "1"},
       {"light", "0", "--speed", "1"},
       {"light", "Rainbow Wave", "--speed", "1"}},
      {{"light", "breathing", "--colour", "6"},
       {"light", "4", "--colour", "6"},
       {"light", "BREATHING", "--colour", "6"}},
  };
  for (const auto& commands : same) {
    std::vector<std::vector<std::string>> traces;
    for (std::vector<std::string> args : commands) {
      args.insert(args.begin(), {"--simulate", "--trace"});
      result = Run(args);
      ASSERT_EQ(result.status, kExitOk) << result.err;
      traces.push_back(result.ErrLines());
    }
    EXPECT_THAT(traces[0], ElementsAre("pause 50", ::testing::StartsWith("set 07f7")));
    EXPECT_EQ(traces[1], traces[0]);
    EXPECT_EQ(traces[2], traces[0]);
  }
  EXPECT_EQ(Run({"--simulate", "light"}).out,
            "LED mode 4 (Breathing): brightness 3, speed 3, colour 6 (record 0601030300)\n");
  json = nlohmann::json::parse(Run({"--simulate", "--json", "light"}).out);
  EXPECT_EQ(json["effect"], "breathing");
  EXPECT_EQ(json["name"], "Breathing");
  EXPECT_EQ(json["colour"], 6);
  EXPECT_EQ(json["direction"], nullptr);

  result = Run({"--simulate", "light", "rainbow"});
  EXPECT_EQ(result.status, kExitUsage);
  EXPECT_THAT(result.err, HasSubstr("rainbow-wave, color-wave, marquee"));
  result = Run({"--simulate", "light", "--speed", "1"});
  EXPECT_EQ(result.status, kExitUsage);
  result = Run({"light", "--help"});
  EXPECT_THAT(result.out, HasSubstr("  4  breathing        Breathing         --brightness --speed "
                                    "--colour\n"));
}

// A key map that cannot be read is moved aside: the command that moved it says so once, naming
// the file and why, and the commands after it say why the active profile is not known.
TEST_F(KeyloomctlTest, AKeyMapMovedAsideIsToldThenAndAfterwards) {
  const std::filesystem::path keyMap = folder_ / keymap::KeyMapFileName({0x258A, 0x2A});
  const struct {
    std::function<void()> make;
    const char* why;
  } cases[] = {
      {[&] { std::ofstream(keyMap) << "<keymap"; }, "is not well-formed XML"},
      {[&] { std::ofstream{keyMap}; }, "is not well-formed XML"},
      {[&] { std::ofstream(keyMap) << "<keymap version=\"2\"/>"; }, "it is of version 2"},
      // Bits that neither program writes.
      {[&] {
         std::ofstream(keyMap)
             << R"(<keymap version="1" ledMode="8"><lighting mode="8" record="9f7e12feab"/></keymap>)";
       },
       "is not a lighting of LED mode 8"},
      {[&] { std::filesystem::create_directory(keyMap); }, "is not a regular file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
      if (entry.path().filename().string().starts_with("keymap-")) {
        std::filesystem::remove_all(entry.path());
      }
    }
    c.make();
    const Result moved = Run({"--simulate", "slots"});
    EXPECT_EQ(moved.status, kExitOk);
    ASSERT_EQ(moved.ErrLines().size(), 1U) << moved.err;
    EXPECT_THAT(moved.err,
                HasSubstr("keyloomctl: warning: the key map of what the keyboard holds: " +
                          keyMap.string()));
    EXPECT_THAT(moved.err, HasSubstr(c.why));
    EXPECT_THAT(moved.err,
                HasSubstr("it was kept as " + (folder_ / "keymap-258a-002a.broken-").string()));
    EXPECT_THAT(moved.out, HasSubstr("the key map could not be read and was moved aside: "));

    const Result after = Run({"--simulate", "slots"});
    EXPECT_EQ(after.err, "");
    EXPECT_THAT(after.out, HasSubstr("the key map could not be read and was moved aside to " +
                                     (folder_ / "keymap-258a-002a.broken-").string()));
    EXPECT_THAT(after.out, HasSubstr(c.why));
    EXPECT_THAT(after.out, HasSubstr("no profile has been selected since"));
  }
}

// A user's own config.xml that cannot be read is named with the reason; a keyboard that the user's
// file names is looked for as that file's.
TEST_F(KeyloomctlTest, TheUsersConfigurationIsNamedWhenItIsNotReadOrNamesTheKeyboard) {
  const std::filesystem::path data = folder_ / "user";
  std::filesystem::create_directories(data);
  const std::filesystem::path own = data / "config.xml";
  std::ofstream(own) << "<usb vid=\"zzzz\"/><local";
  Result result = Run({"slots"}, {}, data);
  EXPECT_THAT(result.ErrLines().front(),
              HasSubstr("keyloomctl: warning: the user's configuration " + own.string() +
                        " was not read: it is not well-formed XML ("));
  EXPECT_THAT(result.err, HasSubstr("(from " + (folder_ / "config.xml").string() + ")"));

  std::filesystem::remove(own);
  std::filesystem::create_directory(own);
  result = Run({"slots"}, {}, data);
  EXPECT_THAT(result.ErrLines().front(),
              HasSubstr(own.string() + " was not read: it is not a regular file"));

  std::filesystem::remove(own);
  std::ofstream(own) << "<usb vid=\"258a\" pid=\"002b\"/>";
  result = Run({"slots"}, {}, data);
  EXPECT_EQ(result.status, kExitNoKeyboard);
  EXPECT_THAT(result.err, HasSubstr("(from " + own.string() + ")"));

  // An id that is no number would match every device.
  std::ofstream(own) << "<usb vid=\"zzzz\" pid=\"002a\"/>";
  result = Run({"slots"}, {}, data);
  EXPECT_EQ(result.status, kExitUsage);
  EXPECT_THAT(result.err, HasSubstr("the <usb> element of " + own.string() + " names no keyboard"));
}

TEST_F(KeyloomctlTest, FactoryResetAsksAndSendsOnlyOnYes) {
  ASSERT_EQ(Run({"--simulate", "remap", "A", "B"}).status, kExitOk);

  interactive_ = true;
  Result result = Run({"--simulate", "--trace", "factory-reset"}, "n\n");
  EXPECT_EQ(result.status, kExitNotDone);
  EXPECT_THAT(result.err,
              HasSubstr("Restore the factory settings? The key assignments of all three "
                        "profiles and the lighting are reset on the keyboard."));
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
  EXPECT_THAT(result.err, HasSubstr("found at /dev/hidraw7 but cannot be opened"));
  EXPECT_THAT(result.err, HasSubstr("permission denied"));
  EXPECT_THAT(result.err, HasSubstr("70-keyloom.rules) is missing or not yet applied"));
  EXPECT_THAT(result.err, HasSubstr("\n  sudo udevadm control --reload && sudo udevadm trigger "
                                    "--subsystem-match=hidraw\n"));
  EXPECT_THAT(result.err, HasSubstr("\n  sudo cmake --install build/release --component udev\n"));
  EXPECT_THAT(result.out, IsEmpty());

  // A keyboard that is not there is not a permission problem.
  systemBackend_ = nullptr;
  std::ofstream(folder_ / "config.xml") << R"(<usb vid="fffe" pid="fffd" interface="-1"/>)";
  const Result absent = Run({"remap", "A", "B"});
  EXPECT_EQ(absent.status, kExitNoKeyboard);
  EXPECT_THAT(absent.err, ::testing::Not(HasSubstr("udev")));
  EXPECT_THAT(absent.err, ::testing::Not(HasSubstr("permission")));
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

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

constexpr const char* kTwoGroups =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<group>\n"
    "\t<items name=\"Group 0\">\n"
    "\t\t<item code=\"4\" name=\"A\" state=\"0\" delay=\"120\" />\n"
    "\t\t<item code=\"4\" name=\"A\" state=\"1\" delay=\"0\" />\n"
    "\t</items>\n"
    "\t<items name=\"Group 1\" />\n"
    "</group>\n";

TEST_F(KeyloomctlTest, AssignMacroDownloadsTheRecordBuiltFromTheLibraryAndTheStore) {
  std::ofstream(folder_ / "macro.xml") << kTwoGroups;
  std::ofstream(folder_ / "store.xml") << R"(<macro page="0" repeat="3"/>)";

  const Result result = Run({"--simulate", "--trace", "assign", "A", "--macro", "Group 0"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out,
            "A now plays the macro \"Group 0\" (2 events, 3 times) on profile 1 "
            "(macro slot 1).\n");

  // Profile selection and slot read, 28 frames each followed by its pause, then the read-back.
  auto lines = result.ErrLines();
  ASSERT_THAT(lines.front(), HasSubstr("profile 1 is made active"));
  lines.erase(lines.begin());
  const std::size_t first = 2 + kReadOfEmptyProfile.size();
  ASSERT_EQ(lines.size(), first + 2 * 28 + 1 + kReadOfEmptyProfile.size());
  // Profile 1, slot 1, key A, 3 times; press A, 120 ms (unit 0, count 12).
  EXPECT_EQ(lines[first], "set 07f101010403040c ok");
  // A continuation frame: release A, shortest pause; then zeros.
  EXPECT_EQ(lines[first + 2], "set 0700048100000000 ok");
  for (std::size_t frame = 0; frame < 28; ++frame) {
    EXPECT_THAT(lines[first + 2 * frame], ::testing::StartsWith("set 07")) << frame;
    EXPECT_EQ(lines[first + 2 * frame + 1], "pause 8") << frame;
  }
  EXPECT_EQ(lines[first + 56], "pause 20");
  EXPECT_EQ(lines[first + 57 + 4], "get 07ee040000000000 ok");

  const auto state = SimulatedState();
  EXPECT_EQ(state.profiles[0].macros[0].keyCode, 0x04);
  const auto& record = state.profiles[0].macros[0].record;
  EXPECT_EQ(record.repeatCount(), 3);
  EXPECT_EQ(record.Event(0), (protocol::KeyEvent{0x04, 0x0C}));
  EXPECT_EQ(record.Event(1), (protocol::KeyEvent{0x04, 0x81}));
  EXPECT_EQ(record.Event(2), (protocol::KeyEvent{}));

  const Result slots = Run({"--simulate", "slots"});
  EXPECT_EQ(slots.out,
            "Active profile: 1\n"
            "Macro slots (1 of 12 used):\n"
            "   1  A (0x04): macro “Group 0”, played 3 times\n"
            "Remap slots (0 of 12 used)\n");
}

// A key whose macro was edited in the library since the key was given it plays the older copy:
// slots says so, in words and in JSON, until the key is given the macro again.
TEST_F(KeyloomctlTest, SlotsSayWhenAKeyPlaysAnOlderCopyOfItsMacro) {
  std::ofstream(folder_ / "macro.xml") << kTwoGroups;
  ASSERT_EQ(Run({"--simulate", "assign", "A", "--macro", "Group 0"}).status, kExitOk);
  const std::string line = "   1  A (0x04): macro “Group 0”, played once";
  const std::string remark =
      " (changed since in the library: the key plays the older copy until it is assigned again)";
  const struct {
    std::vector<std::string> step;
    bool olderCopy;
  } steps[] = {
      {{"macros", "list"}, false},
      {{"macros", "edit", "Group 0", "--append", "B"}, true},
      {{"--simulate", "assign", "A", "--macro", "Group 0"}, false},
      {{"macros", "edit", "Group 0", "--set-delay", "0", "500"}, true},
      {{"macros", "rename", "Group 0", "Other"}, false},
  };
  for (const auto& [step, olderCopy] : steps) {
    SCOPED_TRACE(::testing::PrintToString(step));
    ASSERT_EQ(Run(step).status, kExitOk);
    const Result text = Run({"--simulate", "slots"});
    EXPECT_THAT(text.out, HasSubstr(line + (olderCopy ? remark : "") + "\n"));
    const auto json = nlohmann::json::parse(Run({"--simulate", "--json", "slots"}).out);
    EXPECT_EQ(json["macroSlots"][0]["assignment"]["olderCopy"], olderCopy);
  }
}

TEST_F(KeyloomctlTest, AssignRepeatIsKeptInTheStoreAndAGroupIsFoundByIndex) {
  std::ofstream(folder_ / "macro.xml") << kTwoGroups;
  const Result result = Run({"--simulate", "--json", "assign", "F5", "--macro", "#0", "--repeat",
                             "255", "--profile", "2"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  const auto json = nlohmann::json::parse(result.out);
  EXPECT_EQ(json["macro"], "Group 0");
  EXPECT_EQ(json["repeat"], 255);
  EXPECT_EQ(json["macroSlot"], 1);
  EXPECT_EQ(json["profile"], 2);
  EXPECT_EQ(ReadFile(folder_ / "store.xml"),
            "<?xml version=\"1.0\"?>\n<macro page=\"0\" repeat=\"255\" delay=\"10\" "
            "dlymode=\"0\" mediasel=\"0\" functsel=\"0\" sgcode=\"0\" groupsel=\"0\" />\n");
  EXPECT_EQ(SimulatedState().profiles[1].macros[0].keyCode, 0x3E);
}

TEST_F(KeyloomctlTest, AssignChordMediaKeyAndKeyUseTheConfigurationsCatalogues) {
  Result result = Run({"--simulate", "assign", "B", "--chord", "copy"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out,
            "B now plays the chord \"Copy\" (4 events, once) on profile 1 "
            "(macro slot 1).\n");
  result = Run({"--simulate", "assign", "C", "--media", "MUTE"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out,
            "C now sends the media key \"Mute\" (0xef) on profile 1 "
            "(remap slot 1).\n");
  result = Run({"--simulate", "assign", "D", "--key", "Ctrl Left"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out, "D now sends Ctrl Left on profile 1 (remap slot 2).\n");

  const auto state = SimulatedState();
  const auto& chord = state.profiles[0].macros[0].record;
  EXPECT_EQ(chord.keyCode(), 0x05);
  EXPECT_EQ(chord.Event(0), (protocol::KeyEvent{0xE0, 0x45}));
  EXPECT_EQ(chord.Event(3), (protocol::KeyEvent{0xE0, 0x81}));
  EXPECT_EQ(state.profiles[0].remaps[0].targetKeyCode, 239);
  EXPECT_EQ(state.profiles[0].remaps[1].targetKeyCode, 0xE0);
}

TEST_F(KeyloomctlTest, AssignWarnsWhenAGroupIsTooLongAndSendsItShortened) {
  std::string library = "<group><items name=\"Long\">";
  for (int i = 0; i < 60; ++i) {
    library += R"(<item code="4" state="0"/><item code="4" state="1"/>)";
  }
  std::ofstream(folder_ / "macro.xml") << library << "</items></group>";
  const Result result = Run({"--simulate", "assign", "A", "--macro", "Long"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_THAT(result.err, HasSubstr("has 120 events but a key holds at most 82: its first 82"));
  EXPECT_THAT(result.out, HasSubstr("(82 events, once)"));
}

TEST_F(KeyloomctlTest, AssignRefusesWhatItCannotSendBeforeTouchingTheKeyboard) {
  std::ofstream(folder_ / "macro.xml") << kTwoGroups;
  std::ofstream(folder_ / "config.xml")
      << R"(<usb vid="258a" pid="002A" interface="1" subdevice="-1"/>)"
      << R"(<mediakey><key name="Silent"/><key name="Mute" code="239"/></mediakey>)";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--simulate", "assign", "A"},
           {"--simulate", "assign", "A", "--macro", "Group 0", "--key", "B"},
           {"--simulate", "assign", "A", "--media", "Mute", "--repeat", "2"},
           {"--simulate", "assign", "A", "--macro", "Group 0", "--repeat", "0"},
           {"--simulate", "assign", "A", "--macro", "Group 0", "--repeat", "256"},
           {"--simulate", "assign", "A", "--macro", "Group 9"},
           {"--simulate", "assign", "A", "--macro", "#2"},
           {"--simulate", "assign", "A", "--media", "Loud"},
           {"--simulate", "assign", "A", "--media", "Silent"},
           {"--simulate", "assign", "A", "--chord", "Copy"},
           {"--simulate", "assign", "Hyper", "--key", "B"},
           {"--simulate", "assign", "A", "--key", "0x00"},
       }) {
    const Result result = Run(args);
    EXPECT_EQ(result.status, kExitUsage) << ::testing::PrintToString(args);
    EXPECT_FALSE(result.err.empty()) << ::testing::PrintToString(args);
  }
  EXPECT_THAT(Run({"--simulate", "assign", "A", "--media", "Loud"}).err,
              HasSubstr("has no media key named \"Loud\"; it has: \"Silent\", \"Mute\""));

  // A repeat count kept from the GUI that the keyboard would read as 0.
  std::ofstream(folder_ / "store.xml") << R"(<macro repeat="512"/>)";
  const Result result = Run({"--simulate", "assign", "A", "--macro", "Group 0"});
  EXPECT_EQ(result.status, kExitUsage);
  EXPECT_THAT(result.err, HasSubstr("repeat count 512"));
  EXPECT_FALSE(std::filesystem::exists(folder_ / sim::kStateFileName));
}

// A slot read whose reply was lost shows occupied slots as free: nothing may be assigned or
// removed from it, and the command must say so with a non-zero status.
TEST_F(KeyloomctlTest, NothingIsChangedFromASlotReadThatDidNotArriveWhole) {
  std::ofstream(folder_ / "macro.xml") << kTwoGroups;
  ASSERT_EQ(Run({"--simulate", "assign", "A", "--macro", "Group 0"}).status, kExitOk);
  const auto before = SimulatedState();
  struct Case {
    const char* failures;
    std::vector<std::string> args;
  };
  // get:1 is the first reply of the read before the change; get:4 the last.
  const Case cases[] = {{"get:1", {"assign", "B", "--macro", "Group 1"}},
                        {"get:4", {"remap", "C", "D"}},
                        {"get:2", {"clear", "A"}},
                        {"set:2", {"assign", "B", "--macro", "Group 1"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failures);
    const Result result = RunFailing(c.failures, c.args);
    EXPECT_EQ(result.status, kExitNotDone);
    EXPECT_THAT(result.err, HasSubstr("did not arrive whole"));
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(SimulatedState(), before);
  }
  const Result slots = RunFailing("get:3", {"slots"});
  EXPECT_EQ(slots.status, kExitNotDone);
  EXPECT_EQ(slots.out, "");
}

// What the keyboard says after a change decides what keyloomctl reports.
TEST_F(KeyloomctlTest, AChangeIsReportedOnlyWhenTheKeyboardShowsIt) {
  struct Case {
    const char* failures;
    std::vector<std::string> args;
    const char* said;
  };
  // The read before the remap is set 2 and gets 1-4; the remap is set 3, the read after it
  // set 4 and gets 5-8.
  const Case cases[] = {
      {"set:3", {"remap", "A", "B"}, "did not take the remap"},
      {"get:6", {"remap", "A", "B"}, "whether the keyboard took it"},
      {"set:1", {"light", "2"}, "did not take the lighting"},
      {"set:1", {"factory-reset", "--yes"}, "did not take the factory restore"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failures);
    const Result result = RunFailing(c.failures, c.args);
    EXPECT_EQ(result.status, kExitNotDone);
    EXPECT_THAT(result.err, HasSubstr(c.said));
    EXPECT_EQ(result.out, "");
  }
  EXPECT_EQ(RunFailing("get:1,bogus:2", {"slots"}).status, kExitUsage);
  // The factory restore arrived; only the slot read after it did not.
  const Result restored = RunFailing("set:2", {"factory-reset", "--yes"});
  EXPECT_EQ(restored.status, kExitOk) << restored.err;
  EXPECT_EQ(restored.out, "Factory settings restored; profile 1 is active.\n");
}

// A simulated keyboard that cannot save its state cannot keep a change: the change fails
// and says why; a state file that cannot be read is set aside with a warning.
TEST_F(KeyloomctlTest, ASimulatedKeyboardThatCannotKeepItsStateSaysSo) {
  std::ofstream(folder_ / sim::kStateFileName) << "<not the state";
  Result result = Run({"--simulate", "slots"});
  EXPECT_EQ(result.status, kExitOk) << result.err;
  EXPECT_THAT(result.err, HasSubstr("warning: the simulated keyboard's state file could not be "
                                    "read; it was moved to"));

  // A state file that leads into a folder that does not exist reads as a factory keyboard, and
  // every save fails, even for root.
  std::filesystem::remove(folder_ / sim::kStateFileName);
  std::filesystem::create_symlink(folder_ / "missing" / sim::kStateFileName,
                                  folder_ / sim::kStateFileName);
  result = Run({"--simulate", "remap", "A", "B"});
  EXPECT_EQ(result.status, kExitNotDone);
  EXPECT_THAT(result.err, HasSubstr("could not keep its state"));
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(SimulatedState().profiles[0].remaps[0].keyCode, 0);
}

TEST_F(KeyloomctlTest, MacrosAddListShowAndDeleteGroups) {
  EXPECT_EQ(Run({"macros", "list"}).out,
            "No macro groups in " + (folder_ / "macro.xml").string() + ".\n");
  EXPECT_EQ(Run({"macros", "add", "Copy & paste"}).out,
            "Added the group \"Copy & paste\" as #0 with 0 events.\n");
  EXPECT_EQ(Run({"macros", "add", "Second"}).status, kExitOk);
  EXPECT_EQ(Run({"macros", "add", ""}).status, kExitUsage);

  Result result = Run({"macros", "list"});
  EXPECT_EQ(result.out, "#0  \"Copy & paste\"  (0 events)\n#1  \"Second\"  (0 events)\n");
  result = Run({"--json", "macros", "list"});
  const auto json = nlohmann::json::parse(result.out);
  EXPECT_EQ(json["groups"][1]["name"], "Second");
  EXPECT_EQ(json["groups"][1]["index"], 1);

  std::ofstream(folder_ / "macro.xml") << kTwoGroups;
  result = Run({"macros", "show", "Group 0"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out,
            "#0  \"Group 0\"  (2 events)\n"
            "   0  code 4    key down  delay 120  A\n"
            "   1  code 4    key up    delay 0  A\n");
  result = Run({"--json", "macros", "show", "#1"});
  EXPECT_EQ(nlohmann::json::parse(result.out),
            nlohmann::json::parse(R"({"index":1,"name":"Group 1","events":[]})"));
  EXPECT_EQ(Run({"macros", "show", "Group 7"}).status, kExitUsage);

  result = Run({"macros", "delete", "#0"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out, "Deleted the group #0 \"Group 0\".\n");
  EXPECT_EQ(Run({"macros", "list"}).out, "#0  \"Group 1\"  (0 events)\n");
  EXPECT_EQ(Run({"macros", "delete", "Group 0"}).status, kExitUsage);
}

// A group made on the command line is what the dialog shows and what the key plays.
TEST_F(KeyloomctlTest, AMacroAddedAsTextIsTypedByTheKeyItIsAssignedTo) {
  Result result = Run({"macros", "add", "Hello", "--text", "Hi!"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out, "Added the group \"Hello\" as #0 with 10 events.\n");
  ASSERT_EQ(Run({"--simulate", "assign", "F6", "--macro", "Hello"}).status, kExitOk);

  const sim::SimulatedKeyboardState state = SimulatedState();
  const auto& record = state.profiles[0].macros[0].record;
  const std::vector<protocol::KeyEvent> typed = {{0xE1, 0x01},
                                                 {0x0B, 0x01},
                                                 {0x0B, 0x81},
                                                 {0xE1, 0x81},
                                                 {0x0C, 0x01},
                                                 {0x0C, 0x81},
                                                 {0xE1, 0x01},
                                                 {0x1E, 0x01},
                                                 {0x1E, 0x81},
                                                 {0xE1, 0x81},
                                                 {}};
  for (std::size_t i = 0; i < typed.size(); ++i) {
    EXPECT_EQ(record.Event(i), typed[i]) << i;
  }

  // The dialog's events list over the library file.
  macro::MacroLibrary library(folder_ / "macro.xml");
  ASSERT_TRUE(library.Open().ok());
  macro::MacroEventList list;
  list.SetGroup(library.GroupAt(0));
  ASSERT_EQ(list.Count(), 10);
  EXPECT_EQ(
      list.EventAt(1)->attributes(),
      (macro::MacroAttributes{{"code", "11"}, {"delay", "10"}, {"name", "H"}, {"state", "0"}}));
  EXPECT_EQ(macro::MacroEventList::StateText(*list.EventAt(3)), "key up");
  EXPECT_EQ(list.EventAt(3)->Attribute("name"), "Shift Left");
}

// Each edit changes the group as the dialog's buttons would and saves it; input it cannot take
// changes nothing.
TEST_F(KeyloomctlTest, MacrosEditAppendsInsertsDeletesMovesAndSetsADelay) {
  ASSERT_EQ(Run({"macros", "add", "G", "A", "down", "20,", "A", "up"}).status, kExitOk);
  const auto codesAndDelays = [this] {
    const auto json = nlohmann::json::parse(Run({"--json", "macros", "show", "G"}).out);
    std::string shown;
    for (const auto& event : json["events"]) {
      shown += event["code"].get<std::string>() + (event["state"] == "0" ? "v" : "^") +
               event["delay"].get<std::string>() + " ";
    }
    return shown;
  };
  ASSERT_EQ(codesAndDelays(), "4v20 4^10 ");
  const struct {
    std::vector<std::string> args;
    std::string after;
  } edits[] = {
      {{"--append", "\"Ctrl Left\" down 5, B", "--delay", "7"}, "4v20 4^10 224v5 5v7 5^7 "},
      {{"--insert", "0", "C up 3"}, "6^3 4v20 4^10 224v5 5v7 5^7 "},
      {{"--insert", "6", "D up"}, "6^3 4v20 4^10 224v5 5v7 5^7 7^10 "},
      {{"--delete", "3"}, "6^3 4v20 4^10 5v7 5^7 7^10 "},
      {{"--move", "0", "5"}, "4v20 4^10 5v7 5^7 7^10 6^3 "},
      {{"--move", "4", "1"}, "4v20 7^10 4^10 5v7 5^7 6^3 "},
      {{"--set-delay", "1", "31000"}, "4v20 7^31000 4^10 5v7 5^7 6^3 "},
  };
  for (const auto& edit : edits) {
    std::vector<std::string> args = {"macros", "edit", "G"};
    args.insert(args.end(), edit.args.begin(), edit.args.end());
    const Result result = Run(args);
    ASSERT_EQ(result.status, kExitOk) << ::testing::PrintToString(args) << result.err;
    EXPECT_EQ(codesAndDelays(), edit.after) << ::testing::PrintToString(args);
  }

  std::ifstream file(folder_ / "macro.xml");
  const std::string before{std::istreambuf_iterator<char>(file), {}};
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"macros", "edit", "G"},
           {"macros", "edit", "G", "--delete", "6"},
           {"macros", "edit", "G", "--move", "0", "6"},
           {"macros", "edit", "G", "--insert", "7", "A"},
           {"macros", "edit", "G", "--insert", "x", "A"},
           {"macros", "edit", "G", "--set-delay", "0", "31001"},
           {"macros", "edit", "G", "--append", "A, Hyper"},
           {"macros", "edit", "G", "--delete", "0", "--move", "0", "1"},
           {"macros", "edit", "H", "--delete", "0"},
           {"macros", "add", "T", "--text", "\xC3\xA9t\xC3\xA9"},
           {"macros", "add", "T", "A", "--text", "a"},
           {"macros", "rename", "G", ""},
           {"macros", "rename", "H", "I"},
       }) {
    const Result result = Run(args);
    EXPECT_EQ(result.status, kExitUsage) << ::testing::PrintToString(args);
    EXPECT_FALSE(result.err.empty()) << ::testing::PrintToString(args);
  }
  std::ifstream again(folder_ / "macro.xml");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), {}), before);

  Result result = Run({"macros", "rename", "G", "Greeting"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out, "Renamed the group #0 \"G\" to \"Greeting\".\n");
  EXPECT_EQ(Run({"macros", "list"}).out, "#0  \"Greeting\"  (6 events)\n");
}

TEST_F(KeyloomctlTest, AnExportedLibraryEditedByHandComesBackWhole) {
  ASSERT_EQ(Run({"macros", "add", "First"}).status, kExitOk);
  ASSERT_EQ(Run({"macros", "add", "Second"}).status, kExitOk);
  const auto exported = folder_ / "mine.mcr";
  ASSERT_EQ(Run({"macros", "export", exported.string()}).status, kExitOk);
  EXPECT_EQ(ReadFile(exported), ReadFile(folder_ / "macro.xml"));

  std::string text = ReadFile(exported);
  text.replace(text.find("<items name=\"First\" />"), 23,
               "<items name=\"First\">\r\n<!-- by hand -->\r\n"
               "<item state=\"1\" code=\"5\" name=\"B\" delay=\"12ms\"/></items>");
  std::ofstream(exported, std::ios::binary | std::ios::trunc) << text;
  const Result imported = Run({"macros", "import", exported.string()});
  ASSERT_EQ(imported.status, kExitOk) << imported.err;
  EXPECT_THAT(imported.out, HasSubstr("Imported 2 group(s)"));
  EXPECT_THAT(imported.out, HasSubstr("macro.before-import-"));

  ASSERT_EQ(Run({"macros", "export", (folder_ / "again.mcr").string()}).status, kExitOk);
  EXPECT_EQ(ReadFile(folder_ / "again.mcr"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<group>\n"
            "\t<items name=\"First\">\n"
            "\t\t<item code=\"5\" name=\"B\" state=\"1\" delay=\"12ms\" />\n"
            "\t</items>\n"
            "\t<items name=\"Second\" />\n"
            "</group>\n");
}

TEST_F(KeyloomctlTest, MacroFilesNamedByTheUserMustBeReadableMcrFiles) {
  ASSERT_EQ(Run({"macros", "add", "Kept"}).status, kExitOk);
  const std::string before = ReadFile(folder_ / "macro.xml");
  std::ofstream(folder_ / "broken.mcr") << "<group><items name=";
  std::ofstream(folder_ / "upper.MCR") << kTwoGroups;
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"macros", "import", (folder_ / "broken.mcr").string()},
           {"macros", "import", (folder_ / "missing.mcr").string()},
           {"macros", "import", (folder_ / "upper.MCR").string()},
           {"macros", "export", (folder_ / "out.MCR").string()},
           {"macros", "export", (folder_ / "no-such-folder" / "out.mcr").string()},
       }) {
    const Result result = Run(args);
    EXPECT_EQ(result.status, kExitUsage) << ::testing::PrintToString(args);
    EXPECT_FALSE(result.err.empty()) << ::testing::PrintToString(args);
  }
  EXPECT_EQ(ReadFile(folder_ / "macro.xml"), before);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "out.MCR"));
}

TEST_F(KeyloomctlTest, ABrokenLibraryIsKeptAsideAndTold) {
  std::ofstream(folder_ / "macro.xml") << "<group><items name=\"cut off";
  Result result = Run({"macros", "list"});
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_THAT(result.err, HasSubstr("warning"));
  EXPECT_THAT(result.err, HasSubstr("macro.broken-"));
  EXPECT_THAT(result.out, HasSubstr("No macro groups"));
  bool kept = false;
  for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
    if (entry.path().filename().string().starts_with("macro.broken-")) {
      kept = ReadFile(entry.path()) == "<group><items name=\"cut off";
    }
  }
  EXPECT_TRUE(kept);
}

TEST_F(KeyloomctlTest, ALibraryThatCannotBeSavedIsStatus3) {
  // The data folder lies below a file: it cannot be made, nor locked, nor written.
  std::ofstream(folder_ / "not-a-folder") << "x";
  const Result result =
      Run({"--data-dir", (folder_ / "not-a-folder" / "data").string(), "macros", "add", "Lost?"});
  EXPECT_EQ(result.status, kExitNotDone);
  EXPECT_THAT(result.err, HasSubstr("not-a-folder"));
}

TEST_F(KeyloomctlTest, ADataFolderThatIsAFileIsRefused) {
  std::ofstream(folder_ / "plain") << "x";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"macros", "list"}, {"macros", "add", "x"}, {"--simulate", "slots"}}) {
    std::vector<std::string> withFolder = {"--data-dir", (folder_ / "plain").string()};
    withFolder.insert(withFolder.end(), args.begin(), args.end());
    const Result result = Run(withFolder);
    EXPECT_EQ(result.status, kExitUsage) << ::testing::PrintToString(args);
    EXPECT_THAT(result.err, HasSubstr("plain is a file, not a folder"));
    EXPECT_THAT(result.out, IsEmpty());
  }
  EXPECT_EQ(ReadFile(folder_ / "plain"), "x");
}

// A name from an imported file goes to the terminal with its control characters escaped; JSON
// escapes by its own rules.
TEST_F(KeyloomctlTest, GroupNamesAreShownWithControlCharactersEscaped) {
  std::ofstream(folder_ / "macro.xml")
      << "<group><items name=\"red&#27;[31m&#10;#1  &quot;fake&quot;\xc2\x9b"
         "2J\">"
         "<item code=\"4\" name=\"A&#7;\" state=\"0\" delay=\"1&#13;\"/></items></group>";
  Result result = Run({"macros", "list"});
  EXPECT_EQ(result.out, "#0  \"red\\x1b[31m\\n#1  \"fake\"\\u009b2J\"  (1 event)\n");
  result = Run({"macros", "show", "#0"});
  EXPECT_THAT(result.out, HasSubstr("delay 1\\r  A\\x07\n"));
  for (const char c : result.out + Run({"macros", "delete", "#0"}).out) {
    EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << static_cast<int>(c);
  }
  std::ofstream(folder_ / "macro.xml") << "<group><items name=\"a&#27;b\"/></group>";
  result = Run({"--json", "macros", "list"});
  EXPECT_THAT(result.out, HasSubstr("\"a\\u001bb\""));
  EXPECT_EQ(nlohmann::json::parse(result.out)["groups"][0]["name"],
            "a\x1b"
            "b");
}

TEST_F(KeyloomctlTest, AnImportWithoutAnyGroupIsRefusedAndTheLibraryKept) {
  ASSERT_EQ(Run({"macros", "add", "Kept"}).status, kExitOk);
  const std::string before = ReadFile(folder_ / "macro.xml");
  std::ofstream(folder_ / "other.mcr") << "<Group><items name=\"Lost\"/></Group>";
  const Result result = Run({"macros", "import", (folder_ / "other.mcr").string()});
  EXPECT_EQ(result.status, kExitUsage);
  EXPECT_THAT(result.err, HasSubstr("other.mcr holds no macro group"));
  EXPECT_THAT(result.err, HasSubstr("(<Group>)"));
  EXPECT_EQ(ReadFile(folder_ / "macro.xml"), before);
}

TEST_F(KeyloomctlTest, APartlyReadLibraryIsToldEachTimeAndCopiedOnce) {
  std::ofstream(folder_ / "macro.xml") << "<group><items name=\"a\"/></group><group/>";
  for (int run = 0; run < 3; ++run) {
    const Result result = Run({"macros", "list"});
    EXPECT_EQ(result.status, kExitOk);
    EXPECT_THAT(result.err, HasSubstr("was read only in part"));
  }
  int copies = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
    copies += entry.path().filename().string().starts_with("macro.partly-read-") ? 1 : 0;
  }
  EXPECT_EQ(copies, 1);
}

TEST_F(KeyloomctlTest, AConfigurationThatCannotBeReadIsNamedWithTheReason) {
  const struct {
    const char* content;  // nullptr: no file
    const char* reason;
  } cases[] = {
      {nullptr, "there is no such file"},
      {"<usb vid=\"258a\" pid=", "it is not well-formed XML"},
      {"", "it is not well-formed XML"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    std::filesystem::remove(folder_ / "config.xml");
    if (c.content != nullptr) {
      std::ofstream(folder_ / "config.xml") << c.content;
    }
    // Named with --config: an error.
    Result result = Run({"slots"});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_THAT(result.err, HasSubstr("config.xml: " + std::string(c.reason)));

    // The one next to the program (else the installed one): said before anything else.
    const std::filesystem::path program = folder_ / "bin" / "keyloomctl";
    std::filesystem::create_directories(program.parent_path());
    std::filesystem::copy_file(std::filesystem::path(KEYLOOM_BIN_DIR) / "keyloomctl", program,
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(program.parent_path() / "config.xml");
    if (c.content != nullptr) {
      std::ofstream(program.parent_path() / "config.xml") << c.content;
    }
    const std::string command = program.string() + " --data-dir " + folder_.string() +
                                " --simulate slots > /dev/null 2> " +
                                (folder_ / "err.txt").string();
    std::system(command.c_str());
    const std::string err = ReadFile(folder_ / "err.txt");
    EXPECT_THAT(err, ::testing::StartsWith("keyloomctl: warning: the configuration "));
    EXPECT_THAT(err, HasSubstr("config.xml was not read: " + std::string(c.reason)));

    // Its defaults match any device: without --simulate nothing is sent.
    const std::string real = program.string() + " --data-dir " + folder_.string() +
                             " slots > /dev/null 2> " + (folder_ / "err.txt").string();
    EXPECT_EQ(WEXITSTATUS(std::system(real.c_str())), kExitUsage);
    EXPECT_THAT(ReadFile(folder_ / "err.txt"), HasSubstr("so it sends nothing"));
  }
}

// Every kind of assignment on profiles 1 and 3 and the lighting of two modes, with profile 3
// active at the end.
void ConfigureEveryKind(const std::function<Result(std::vector<std::string>)>& run) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--simulate", "remap", "A", "B"},
           {"--simulate", "assign", "C", "--media", "Mute"},
           {"--simulate", "assign", "D", "--chord", "Copy"},
           {"--simulate", "assign", "F5", "--macro", "Group 0", "--repeat", "2"},
           {"--simulate", "light", "3", "--colour", "5", "--brightness", "2"},
           {"--simulate", "light", "8", "--areas", "0,1,2,none,4,5"},
           {"--simulate", "remap", "E", "F", "--profile", "3"},
           {"--simulate", "assign", "G", "--macro", "Group 0", "--profile", "3"},
       }) {
    const Result result = run(args);
    ASSERT_EQ(result.status, kExitOk) << ::testing::PrintToString(args) << result.err;
  }
}

TEST_F(KeyloomctlTest, TheKeyboardComesBackWholeFromABackupAfterAFactoryReset) {
  std::ofstream(folder_ / "macro.xml") << kTwoGroups;
  ConfigureEveryKind([this](std::vector<std::string> args) { return Run(std::move(args)); });
  // Profile 1 is the active one.
  const std::string slots3 = Run({"--simulate", "--json", "slots", "--profile", "3"}).out;
  const std::string slots1 = Run({"--simulate", "--json", "slots", "--profile", "1"}).out;
  const auto before = SimulatedState();
  const std::string backup = (folder_ / "keyboard.xml").string();

  Result result = Run({"--simulate", "backup", backup});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out, "Backed up the keyboard to " + backup +
                            ": profile 1: 4 keys; profile 2: none; profile 3: 2 keys; the "
                            "lighting of 2 LED modes (LED mode 8 current).\n");
  EXPECT_EQ(SimulatedState(), before);
  ASSERT_EQ(Run({"--simulate", "factory-reset", "--yes"}).status, kExitOk);
  ASSERT_NE(SimulatedState(), before);

  progress_ = true;
  result = Run({"--simulate", "restore", backup});
  progress_ = false;
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out, "Restored the keyboard from " + backup +
                            ": 8 changes sent, 0 already as in the backup.\n");
  EXPECT_THAT(result.ErrLines(),
              ElementsAre("keyloomctl: [1/8] profile 1, macro slot 1: D (0x07): chord “Copy”",
                          "keyloomctl: [2/8] profile 1, macro slot 2: F5 (0x3e): macro “Group 0”, "
                          "played 2 times",
                          "keyloomctl: [3/8] profile 1, remap slot 1: A (0x04) → B",
                          "keyloomctl: [4/8] profile 1, remap slot 2: C (0x06): Mute",
                          "keyloomctl: [5/8] profile 3, macro slot 1: G (0x0a): macro “Group 0”, "
                          "played 2 times",
                          "keyloomctl: [6/8] profile 3, remap slot 1: E (0x08) → F",
                          "keyloomctl: [7/8] the lighting of LED mode 3",
                          "keyloomctl: [8/8] the lighting of LED mode 8"));
  EXPECT_EQ(SimulatedState(), before);
  EXPECT_EQ(Run({"--simulate", "--json", "slots", "--profile", "1"}).out, slots1);
  EXPECT_EQ(Run({"--simulate", "--json", "slots", "--profile", "3"}).out, slots3);

  // Again: every key already holds what the backup holds; no key record is sent.
  result = Run({"--simulate", "--trace", "restore", backup});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_THAT(result.err, ::testing::Not(HasSubstr("set 07f1")));
  EXPECT_THAT(result.err, ::testing::Not(HasSubstr("set 07fa")));
  EXPECT_EQ(SimulatedState(), before);
}

TEST_F(KeyloomctlTest, SlotsTellWhatEachKeyDoesAndWithoutTheKeyMapOnlyThatItIsAssigned) {
  std::ofstream(folder_ / "macro.xml") << kTwoGroups;
  ConfigureEveryKind([this](std::vector<std::string> args) { return Run(std::move(args)); });
  const std::string profile1 = "Active profile: 1\nMacro slots (2 of 12 used):\n";
  EXPECT_EQ(Run({"--simulate", "slots", "--profile", "1"}).out,
            profile1 +
                "   1  D (0x07): chord “Copy”\n"
                "   2  F5 (0x3e): macro “Group 0”, played 2 times\n"
                "Remap slots (2 of 12 used):\n"
                "   1  A (0x04) → B\n"
                "   2  C (0x06): Mute\n");
  // Without --profile the slots are of the profile last selected.
  ASSERT_EQ(Run({"--simulate", "slots", "--profile", "3"}).status, kExitOk);
  const auto json = nlohmann::json::parse(Run({"--simulate", "--json", "slots"}).out);
  EXPECT_EQ(json["macroSlots"][0]["assignment"],
            nlohmann::json::parse(R"({"kind":"macro","name":"Group 0","repeat":2,"events":2,
                                "description":"G: macro “Group 0”, played 2 times",
                                "olderCopy":false})"));

  std::filesystem::remove(folder_ / keymap::KeyMapFileName({0x258A, 0x2A}));
  ASSERT_EQ(Run({"--simulate", "remap", "H", "I"}).status, kExitOk);
  EXPECT_EQ(Run({"--simulate", "slots", "--profile", "1"}).out,
            profile1 +
                "   1  D (0x07): assigned elsewhere\n"
                "   2  F5 (0x3e): assigned elsewhere\n"
                "Remap slots (3 of 12 used):\n"
                "   1  A (0x04): assigned elsewhere\n"
                "   2  C (0x06): assigned elsewhere\n"
                "   3  H (0x0b) → I\n");
  // A backup holds only that such a key is assigned, and says so.
  const Result backup = Run({"--simulate", "backup", (folder_ / "b.xml").string()});
  EXPECT_EQ(backup.status, kExitOk);
  EXPECT_THAT(backup.err, HasSubstr("warning: profile 1, macro slot 1: D (0x07) is assigned "
                                    "elsewhere: the backup holds only that it is assigned"));
}

TEST_F(KeyloomctlTest, ARestoreRefusesAFileItCannotTakeAndSendsNothing) {
  const auto file = folder_ / "backup.xml";
  const struct {
    const char* content;  // null: no file
    std::vector<std::string> more;
    const char* said;
  } cases[] = {
      {nullptr, {}, "there is no file"},
      {"<keymap version=\"1\"><profile", {}, "is not well-formed XML"},
      {"<keymap version=\"2\"/>", {}, "it is of version 2"},
      {"<keymap version=\"1\" vid=\"258a\" pid=\"002b\"/>",
       {},
       "is a backup of another keyboard model (vendor id 0x258a, product id 0x002b)"},
      {"<keymap version=\"1\"><profile number=\"1\"/></keymap>",
       {"--profile", "2"},
       "holds nothing of profile 2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.said);
    std::filesystem::remove(file);
    if (c.content != nullptr) {
      std::ofstream(file) << c.content;
    }
    std::vector<std::string> args = {"--simulate", "restore", file.string()};
    args.insert(args.end(), c.more.begin(), c.more.end());
    const Result result = Run(args);
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_THAT(result.err, HasSubstr(c.said));
    EXPECT_THAT(result.err, HasSubstr("nothing was sent"));
    EXPECT_FALSE(std::filesystem::exists(folder_ / sim::kStateFileName));
  }
}

TEST_F(KeyloomctlTest, CopyProfileCopiesWhatIsKnownAndNamesWhatIsNot) {
  ASSERT_EQ(Run({"--simulate", "remap", "A", "B"}).status, kExitOk);
  ASSERT_EQ(Run({"--simulate", "assign", "D", "--chord", "Copy"}).status, kExitOk);
  ASSERT_EQ(Run({"--simulate", "remap", "X", "Y", "--profile", "3"}).status, kExitOk);

  Result result = Run({"--simulate", "copy-profile", "1", "3"});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out,
            "Profile 3 now holds what profile 1 holds: 3 changes sent, 0 already in "
            "place.\n");
  auto state = SimulatedState();
  EXPECT_EQ(state.profiles[2].remaps[0].keyCode, 0x04);
  EXPECT_EQ(state.profiles[2].macros[0].keyCode, 0x07);
  EXPECT_EQ(state.activeProfile, 2U);

  // Once in place, the source read is gets 1-4, the planning read 5-8 and the final read 9-12: a
  // final read that is lost leaves the profile unchecked, which is said as such.
  for (const char* lost : {"get:9", "get:12"}) {
    result = RunFailing(lost, {"copy-profile", "1", "3"});
    EXPECT_EQ(result.status, kExitNotDone);
    EXPECT_EQ(result.out,
              "Profile 3 was sent what profile 1 holds, but could not be checked: 0 changes sent, "
              "2 already in place.\n");
    EXPECT_THAT(result.err, HasSubstr("slot table of profile 3 did not arrive whole after the "
                                      "restore: whether it holds what it should is not known"));
  }

  {
    // Another tool puts Caps Lock into remap slot 2 of profile 1.
    sim::SimulatedKeyboard other(folder_ / sim::kStateFileName);
    state.profiles[0].remaps[1] = {0x39, 0x3A};
    other.SetState(state);
  }
  result = Run({"--simulate", "copy-profile", "1", "2"});
  EXPECT_EQ(result.status, kExitNotDone);
  EXPECT_THAT(result.err, HasSubstr("warning: profile 1, remap slot 2: CapsLock (0x39) is assigned "
                                    "elsewhere: what it does is not known, so it is not copied"));
  EXPECT_EQ(SimulatedState().profiles[1].remaps[1].keyCode, 0);
  EXPECT_EQ(SimulatedState().profiles[1].remaps[0].keyCode, 0x04);
  EXPECT_EQ(Run({"--simulate", "copy-profile", "2", "2"}).status, kExitUsage);
}

// Whether `actual` has the fields of `documented`, and no others: the same names in every object,
// recursively (through the first element of arrays), booleans where the example has one. A
// null on either side matches any value.
bool SameFields(const nlohmann::json& documented, const nlohmann::json& actual, std::string path,
                std::string& why) {
  if (documented.is_null() || actual.is_null()) {
    return true;
  }
  if (documented.type() != actual.type() && !(documented.is_number() && actual.is_number())) {
    why = path + ": documented " + documented.type_name() + ", printed " + actual.type_name();
    return false;
  }
  if (documented.is_object()) {
    for (const auto& [name, value] : documented.items()) {
      if (!actual.contains(name)) {
        why = path + "." + name + ": documented, not printed";
        return false;
      }
      if (!SameFields(value, actual[name], path + "." + name, why)) {
        return false;
      }
    }
    for (const auto& [name, value] : actual.items()) {
      if (!documented.contains(name)) {
        why = path + "." + name + ": printed, not documented";
        return false;
      }
    }
  }
  if (documented.is_array() && !documented.empty() && !actual.empty()) {
    return SameFields(documented[0], actual[0], path + "[0]", why);
  }
  return true;
}

// Every example of docs/keyloomctl-json.md, run in its order on the simulated keyboard, prints
// the fields it documents; together they show every command.
TEST_F(KeyloomctlTest, JsonOutputHasTheDocumentedFields) {
  std::ifstream file(std::string(KEYLOOM_SOURCE_DIR) + "/docs/keyloomctl-json.md");
  ASSERT_TRUE(file) << "docs/keyloomctl-json.md";
  const std::string heading = "### `keyloomctl ";
  std::vector<std::string> command;
  std::string example;
  bool inExample = false;
  int examples = 0;
  std::set<std::string> commands;
  for (std::string line; std::getline(file, line);) {
    if (line.starts_with(heading)) {
      command.clear();
      std::istringstream words(line.substr(heading.size(), line.rfind('`') - heading.size()));
      for (std::string word; words >> word;) {
        // Files are named without a folder: they go to this test's folder.
        const bool isFile = word.ends_with(".xml") || word.ends_with(".mcr");
        command.push_back(isFile ? (folder_ / word).string() : word);
      }
    } else if (line == "```json") {
      inExample = true;
      example.clear();
    } else if (inExample && line == "```") {
      inExample = false;
      ASSERT_FALSE(command.empty()) << example;
      std::vector<std::string> args = {"--simulate", "--json"};
      args.insert(args.end(), command.begin(), command.end());
      const Result result = Run(args);
      const auto documented = nlohmann::json::parse(example, nullptr, false);
      ASSERT_FALSE(documented.is_discarded()) << example;
      const auto printed = nlohmann::json::parse(result.out, nullptr, false);
      ASSERT_FALSE(printed.is_discarded()) << ::testing::PrintToString(command) << result.out;
      EXPECT_EQ(result.status == kExitOk, !documented.contains("error"))
          << ::testing::PrintToString(command) << result.err;
      std::string why;
      EXPECT_TRUE(SameFields(documented, printed, "", why))
          << ::testing::PrintToString(command) << ": " << why;
      ++examples;
      commands.insert(command[0] == "macros" ? command[0] + " " + command[1] : command[0]);
      command.clear();
    } else if (inExample) {
      example += line + '\n';
    }
  }
  EXPECT_EQ(commands,
            (std::set<std::string>{
                "assign",        "auto-profile", "backup",        "clear",         "config",
                "copy-profile",  "devices",      "factory-reset", "light",         "macros add",
                "macros delete", "macros edit",  "macros export", "macros import", "macros list",
                "macros rename", "macros show",  "profile",       "remap",         "restore",
                "slots"}));
  EXPECT_GE(examples, 25);
}

// With --json a failure is one JSON object on standard output, the status unchanged, and the
// message still on standard error.
TEST_F(KeyloomctlTest, AFailureInJsonIsAnObjectWithTheMessage) {
  Result result = Run({"--simulate", "--json", "remap", "Hyper", "B"});
  EXPECT_EQ(result.status, kExitUsage);
  EXPECT_THAT(result.err, HasSubstr("KEY \"Hyper\""));
  auto json = nlohmann::json::parse(result.out);
  EXPECT_THAT(json["error"].get<std::string>(),
              ::testing::StartsWith("KEY \"Hyper\" is neither a key name"));
  EXPECT_EQ(json["status"], kExitUsage);
  EXPECT_EQ(json["result"], nullptr);

  result = Run({"--json", "light", "12"});
  EXPECT_EQ(result.status, kExitUsage);
  json = nlohmann::json::parse(result.out);
  EXPECT_THAT(json["error"].get<std::string>(), HasSubstr("\"12\" is no effect"));

  result = Run({"profile", "7", "--json"});
  EXPECT_EQ(result.status, kExitUsage);
  EXPECT_THAT(nlohmann::json::parse(result.out)["error"].get<std::string>(), HasSubstr("7"));

  // A traced run keeps the trace out of the message.
  result = RunFailing("get:2", {"--json", "--trace", "remap", "A", "B"});
  EXPECT_EQ(result.status, kExitNotDone);
  json = nlohmann::json::parse(result.out);
  EXPECT_THAT(json["error"].get<std::string>(), HasSubstr("did not arrive whole"));
  EXPECT_THAT(json["error"].get<std::string>(), Not(HasSubstr("get 07")));
  EXPECT_THAT(result.err, HasSubstr("get 07"));
}

TEST_F(KeyloomctlTest, AWordThatIsNoCommandIsNamedWithTheCommandsThereAre) {
  Result result = Run({"bogus"});
  EXPECT_EQ(result.status, kExitUsage);
  EXPECT_THAT(result.err, HasSubstr("'bogus' is not a command; the commands are: devices, config, "
                                    "profile, slots, light, remap, clear, factory-reset, assign, "
                                    "backup, restore, copy-profile, macros"));
  result = Run({"macros", "lst"});
  EXPECT_EQ(result.status, kExitUsage);
  EXPECT_THAT(result.err, HasSubstr("'lst' is not a macros command; the macros commands are: list, "
                                    "show, import, export, add, rename, edit, delete"));
}

}  // namespace
}  // namespace keyloom::cli

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Frames.h"
#include "TempFolder.h"
#include "sim/SimulatedKeyboard.h"

namespace keyloom::sim {
namespace {

using testing::Frame;
using ::testing::HasSubstr;
using testing::Record;
using testing::SendRecord;
using State = SimulatedKeyboardState;

std::string Contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class SimulatedStateFileTest : public ::testing::Test {
 protected:
  testing::TempFolder folder;
  std::filesystem::path file = folder.path() / kStateFileName;
};

TEST_F(SimulatedStateFileTest, AMissingFileIsAFactoryKeyboardAndTheFirstChangeWritesIt) {
  SimulatedKeyboard keyboard(file);
  EXPECT_EQ(keyboard.CurrentState(), State{});
  keyboard.SetFeature(Frame({0x07, 0xFB, 0x01}));
  EXPECT_FALSE(std::filesystem::exists(file)) << "a read changes nothing";

  keyboard.SetFeature(Frame({0x07, 0xFC, 2}));
  EXPECT_TRUE(std::filesystem::exists(file));
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "simulated-keyboard.xml.tmp"));
  EXPECT_FALSE(keyboard.persistenceError().has_value());
}

TEST_F(SimulatedStateFileTest, TheWholeStateSurvivesARestart) {
  State before;
  {
    SimulatedKeyboard keyboard(file);
    SendRecord(keyboard, Record(2, 12, 0xE0, 255));
    keyboard.SetFeature(Frame({0x07, 0xFA, 3, 1, 0x04, 0x01, 0xE7, 0x01}));
    keyboard.SetFeature(Frame({0x07, 0xF7, 5, 0x07, 0x02, 0x01, 0x00, 0x00}));
    keyboard.SetFeature(Frame({0x07, 0xFC, 2}));
    before = keyboard.CurrentState();
  }
  SimulatedKeyboard restarted(file);

  EXPECT_EQ(restarted.CurrentState(), before);
  EXPECT_EQ(before.profiles[1].macros[11].record.repeatCount(), 255);
  EXPECT_THAT(Contents(file), HasSubstr("<simulatedKeyboard activeProfile=\"2\" ledMode=\"5\">"));
}

TEST_F(SimulatedStateFileTest, TwoKeyboardsOnOneFileSeeAndKeepEachOthersChanges) {
  SimulatedKeyboard first(file);
  SimulatedKeyboard second(file);
  first.SetFeature(Frame({0x07, 0xFA, 1, 1, 0x04, 0x01, 0x05, 0x01}));
  second.SetFeature(Frame({0x07, 0xFA, 1, 2, 0x06, 0x01, 0x07, 0x01}));
  first.SetFeature(Frame({0x07, 0xFA, 1, 3, 0x08, 0x01, 0x09, 0x01}));
  SendRecord(second, Record(1, 1, 0x0A));

  first.SetFeature(Frame({0x07, 0xFB, 0x01}));
  const auto replies = testing::ReadReplies(first);
  EXPECT_EQ(replies[0], Frame({0x07, 0xEE, 0x0A, 0, 0, 0, 0, 0}));
  EXPECT_EQ(replies[2], Frame({0x07, 0x04, 0x06, 0x08, 0, 0, 0, 0}));
  EXPECT_EQ(first.CurrentState(), second.CurrentState());
}

TEST_F(SimulatedStateFileTest, AChangeOfEqualSizeRightAfterTheLastIsStillSeen) {
  SimulatedKeyboard writer(file);
  SimulatedKeyboard reader(file);
  for (const int profile : {2, 3, 1, 2, 3, 1}) {
    writer.SetFeature(Frame({0x07, 0xFC, static_cast<std::uint8_t>(profile)}));
    EXPECT_EQ(reader.CurrentState().activeProfile, static_cast<std::size_t>(profile - 1));
  }
}

TEST_F(SimulatedStateFileTest, EveryWriteMakesTheFileNewerThanTheOneItReplaces) {
  SimulatedKeyboard writer(file);
  SimulatedKeyboard reader(file);
  writer.SetFeature(Frame({0x07, 0xFC, 2}));
  // A file time ahead of the clock stands for a file system whose clock ticks coarsely: the
  // next write would otherwise get the same time, or an older one.
  const auto ahead = std::filesystem::last_write_time(file) + std::chrono::hours(1);
  std::filesystem::last_write_time(file, ahead);
  EXPECT_EQ(reader.CurrentState().activeProfile, 1u);

  writer.SetFeature(Frame({0x07, 0xFC, 3}));
  EXPECT_GT(std::filesystem::last_write_time(file), ahead);
  EXPECT_EQ(reader.CurrentState().activeProfile, 2u);
}

TEST_F(SimulatedStateFileTest, ABrokenFileIsKeptAsideAndAFactoryKeyboardUsed) {
  const std::string broken = "<simulatedKeyboard activeProfile=\"2\"><profile number=";
  Write(file, broken);
  SimulatedKeyboard keyboard(file);

  EXPECT_EQ(keyboard.CurrentState(), State{});
  ASSERT_TRUE(keyboard.brokenStateKeptAs().has_value());
  const std::filesystem::path aside = *keyboard.brokenStateKeptAs();
  EXPECT_EQ(aside.parent_path(), folder.path());
  EXPECT_THAT(aside.filename().string(), HasSubstr("simulated-keyboard.broken-"));
  EXPECT_EQ(Contents(aside), broken);

  keyboard.SetFeature(Frame({0x07, 0xFC, 3}));
  SimulatedKeyboard other(file);
  EXPECT_EQ(other.CurrentState().activeProfile, 2u);
  EXPECT_FALSE(other.brokenStateKeptAs().has_value());
}

TEST_F(SimulatedStateFileTest, AnotherDocumentIsNotTakenForAKeyboard) {
  Write(file, "<?xml version=\"1.0\"?><macros><group name=\"a\"/></macros>");
  SimulatedKeyboard keyboard(file);

  EXPECT_TRUE(keyboard.brokenStateKeptAs().has_value());
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(SimulatedStateFileTest, EntriesThatMakeNoSenseAreSkippedAndTheRestKept) {
  const std::string record(336, '0');
  Write(file,
        "<simulatedKeyboard activeProfile=\"7\" ledMode=\"3\">"
        "<profile number=\"1\">"
        "<remap slot=\"2\" key=\"4\" target=\"5\"/>"
        "<remap slot=\"13\" key=\"4\" target=\"5\"/>"
        "<remap slot=\"3\" key=\"0\" target=\"5\"/>"
        "<macro slot=\"1\" key=\"6\" record=\"" +
            record +
            "\"/>"
            "<macro slot=\"2\" key=\"7\" record=\"0102\"/>"
            "<macro slot=\"3\" key=\"8\" record=\"" +
            std::string(336, 'x') +
            "\"/>"
            "</profile>"
            "<profile number=\"4\"><remap slot=\"1\" key=\"4\" target=\"5\"/></profile>"
            "<lighting mode=\"3\" record=\"0502010200\"/>"
            "<lighting mode=\"11\" record=\"0502010200\"/>"
            "</simulatedKeyboard>");
  SimulatedKeyboard keyboard(file);

  State expected;
  expected.ledMode = 3;
  expected.profiles[0].remaps[1] = {0x04, 0x05};
  expected.profiles[0].macros[0].keyCode = 0x06;
  expected.lighting[3].bytes = {0x05, 0x02, 0x01, 0x02, 0x00};
  EXPECT_EQ(keyboard.CurrentState(), expected);
  EXPECT_FALSE(keyboard.brokenStateKeptAs().has_value());
}

// Like a keyboard that did not take the frame: the change is not made, in the file or in
// memory, and the frame fails; frames that change nothing still work.
TEST_F(SimulatedStateFileTest, AChangeThatCannotBeWrittenFailsItsFrameAndIsNotMade) {
  SimulatedKeyboard keyboard(folder.path() / "missing-folder" / kStateFileName);
  EXPECT_FALSE(keyboard.SetFeature(Frame({0x07, 0xFC, 2})));

  ASSERT_TRUE(keyboard.persistenceError().has_value());
  EXPECT_THAT(*keyboard.persistenceError(), HasSubstr("missing-folder"));
  EXPECT_EQ(keyboard.CurrentState().activeProfile, 0u);
  EXPECT_TRUE(keyboard.SetFeature(Frame({0x07, 0xFB, 1})));
}

}  // namespace
}  // namespace keyloom::sim

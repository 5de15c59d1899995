#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Frames.h"
#include "sim/SimulatedKeyboard.h"

namespace keyloom::sim {
namespace {

using ::testing::ElementsAre;
using testing::Frame;
using testing::ReadReplies;
using testing::Record;
using testing::SendRecord;
using State = SimulatedKeyboardState;
using Ignored = SimulatedKeyboard::IgnoredFrames;

TEST(SimulatedKeyboardTest, SlotRepliesCarryTheSlotsWhereTheProgramReadsThemAndFillerElsewhere) {
  SimulatedKeyboard keyboard;
  ASSERT_EQ(SendRecord(keyboard, Record(1, 1, 0x10)), 28);
  ASSERT_EQ(SendRecord(keyboard, Record(1, 7, 0x17)), 28);
  ASSERT_EQ(SendRecord(keyboard, Record(1, 12, 0x1C)), 28);
  keyboard.SetFeature(Frame({0x07, 0xFA, 1, 1, 0x04, 0x01, 0x05, 0x01}));
  keyboard.SetFeature(Frame({0x07, 0xFA, 1, 8, 0xE1, 0x01, 0x05, 0x01}));
  keyboard.SetFeature(Frame({0x07, 0xFA, 1, 12, 0xE0, 0x01, 0x06, 0x01}));

  ASSERT_TRUE(keyboard.SetFeature(Frame({0x07, 0xFB, 0x01})));
  EXPECT_THAT(ReadReplies(keyboard), ElementsAre(Frame({0x07, 0xEE, 0x10, 0, 0, 0, 0, 0}),
                                                 Frame({0x07, 0x17, 0, 0, 0, 0, 0x1C, 0xEE}),
                                                 Frame({0x07, 0x04, 0, 0, 0, 0, 0, 0}),
                                                 Frame({0x07, 0xE1, 0, 0, 0, 0xE0, 0xEE, 0xEE})));
  EXPECT_EQ(keyboard.ignored(), Ignored{});

  hid::Report extra{0x07, 0x11};
  EXPECT_TRUE(keyboard.GetFeature(extra));
  EXPECT_EQ(extra, Frame({0x07}));
  EXPECT_EQ(keyboard.ignored().unarmedRead, 1);
}

TEST(SimulatedKeyboardTest, FramesItDoesNotUnderstandAreIgnoredAndCounted) {
  struct Case {
    std::string what;
    hid::Report frame;
    int Ignored::*counter;
  };
  const std::vector<Case> cases{
      {"wrong report id", Frame({0x06, 0xFC, 0x01}), &Ignored::wrongReportId},
      {"unknown command", Frame({0x07, 0x55, 0x01}), &Ignored::unknownCommand},
      {"profile 0", Frame({0x07, 0xFC, 0}), &Ignored::badArgument},
      {"profile 4", Frame({0x07, 0xFC, 4}), &Ignored::badArgument},
      {"slot request without its 01", Frame({0x07, 0xFB, 0x02}), &Ignored::badArgument},
      {"LED mode 10", Frame({0x07, 0xF7, 10, 1, 1, 3, 3, 0}), &Ignored::badArgument},
      {"remap in profile 0", Frame({0x07, 0xFA, 0, 1, 4, 1, 5, 1}), &Ignored::badArgument},
      {"remap slot 13", Frame({0x07, 0xFA, 1, 13, 4, 1, 5, 1}), &Ignored::badArgument},
      {"remap slot 0", Frame({0x07, 0xFA, 1, 0, 4, 1, 5, 1}), &Ignored::badArgument},
      {"remap without markers", Frame({0x07, 0xFA, 1, 1, 4, 0, 5, 0}), &Ignored::badArgument},
      {"factory restore without AA", Frame({0x07, 0xF0, 0xAB}), &Ignored::badArgument},
      {"continuation without start", Frame({0x07, 0x00, 1, 1, 4, 1, 0, 0}),
       &Ignored::continuationWithoutStart},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimulatedKeyboard keyboard;
    keyboard.SetFeature(c.frame);
    Ignored expected;
    expected.*c.counter = 1;
    EXPECT_EQ(keyboard.ignored(), expected);
    EXPECT_EQ(keyboard.CurrentState(), State{});
    EXPECT_FALSE(keyboard.downloadInProgress());
  }
}

TEST(SimulatedKeyboardTest, AReadOfAnotherReportFails) {
  SimulatedKeyboard keyboard;
  keyboard.SetFeature(Frame({0x07, 0xFB, 0x01}));
  hid::Report other{0x03};

  EXPECT_FALSE(keyboard.GetFeature(other));
  EXPECT_EQ(other, Frame({0x03}));
  EXPECT_EQ(keyboard.ignored().wrongReportId, 1);
  EXPECT_EQ(ReadReplies(keyboard)[0][1], 0xEE) << "the armed replies are still there";
}

TEST(SimulatedKeyboardTest, AWholeRecordFillsTheMacroSlotItNamesAndAZeroKeyFreesIt) {
  SimulatedKeyboard keyboard;
  const auto record = Record(3, 5, 0xE0, 2);
  ASSERT_EQ(SendRecord(keyboard, record), 28);

  State expected;
  expected.profiles[2].macros[4] = {0xE0, protocol::KeyAssignmentRecord(record)};
  EXPECT_EQ(keyboard.CurrentState(), expected);
  EXPECT_FALSE(keyboard.downloadInProgress());

  testing::RecordBytes freeing{3, 5};
  SendRecord(keyboard, freeing);
  EXPECT_EQ(keyboard.CurrentState(), State{});
  EXPECT_EQ(keyboard.ignored(), Ignored{});
}

TEST(SimulatedKeyboardTest, AnUnfinishedRecordIsNeverStoredAndTheNextStartReplacesIt) {
  SimulatedKeyboard keyboard;
  SendRecord(keyboard, Record(1, 1, 0x04), 0, 27);
  EXPECT_TRUE(keyboard.downloadInProgress());
  EXPECT_EQ(keyboard.CurrentState(), State{});

  SendRecord(keyboard, Record(1, 2, 0x05));
  EXPECT_EQ(keyboard.ignored().abandonedDownload, 1);
  const State state = keyboard.CurrentState();
  EXPECT_EQ(state.profiles[0].macros[0].keyCode, 0);
  EXPECT_EQ(state.profiles[0].macros[1].keyCode, 0x05);
}

TEST(SimulatedKeyboardTest, ARecordForAProfileOrSlotOutOfRangeIsDropped) {
  SimulatedKeyboard keyboard;
  SendRecord(keyboard, Record(0, 1, 0x04));
  SendRecord(keyboard, Record(4, 1, 0x04));
  SendRecord(keyboard, Record(1, 13, 0x04));
  SendRecord(keyboard, Record(1, 0, 0x04));

  EXPECT_EQ(keyboard.ignored().badArgument, 4);
  EXPECT_EQ(keyboard.CurrentState(), State{});
}

TEST(SimulatedKeyboardTest, RemapsAreSetOverwrittenAndClearedPerProfile) {
  SimulatedKeyboard keyboard;
  keyboard.SetFeature(Frame({0x07, 0xFA, 2, 3, 0x04, 0x01, 0x05, 0x01}));
  keyboard.SetFeature(Frame({0x07, 0xFA, 2, 4, 0x06, 0x01, 0x07, 0x01}));
  keyboard.SetFeature(Frame({0x07, 0xFA, 2, 4, 0x08, 0x01, 0x09, 0x01}));
  keyboard.SetFeature(Frame({0x07, 0xFA, 2, 3, 0x00, 0x01, 0x00, 0x01}));

  State expected;
  expected.profiles[1].remaps[3] = {0x08, 0x09};
  EXPECT_EQ(keyboard.CurrentState(), expected);
}

TEST(SimulatedKeyboardTest, TheSlotReadShowsTheActiveProfile) {
  SimulatedKeyboard keyboard;
  keyboard.SetFeature(Frame({0x07, 0xFA, 2, 1, 0x04, 0x01, 0x05, 0x01}));
  keyboard.SetFeature(Frame({0x07, 0xFB, 0x01}));
  EXPECT_EQ(ReadReplies(keyboard)[2][1], 0x00);

  keyboard.SetFeature(Frame({0x07, 0xFC, 2}));
  keyboard.SetFeature(Frame({0x07, 0xFB, 0x01}));
  EXPECT_EQ(ReadReplies(keyboard)[2][1], 0x04);
  EXPECT_EQ(keyboard.CurrentState().activeProfile, 1u);
}

TEST(SimulatedKeyboardTest, LightingAndFactoryRestore) {
  SimulatedKeyboard keyboard;
  keyboard.SetFeature(Frame({0x07, 0xF7, 8, 0x12, 0x34, 0x56, 0x02, 0x00}));
  keyboard.SetFeature(Frame({0x07, 0xFC, 3}));
  SendRecord(keyboard, Record(2, 2, 0x04));
  keyboard.SetFeature(Frame({0x07, 0xFA, 1, 1, 0x04, 0x01, 0x05, 0x01}));

  State changed = keyboard.CurrentState();
  EXPECT_EQ(changed.ledMode, 8);
  EXPECT_THAT(changed.lighting[8].bytes, ElementsAre(0x12, 0x34, 0x56, 0x02, 0x00));
  EXPECT_EQ(changed.activeProfile, 2u);

  keyboard.SetFeature(Frame({0x07, 0xF0, 0xAA}));
  EXPECT_EQ(keyboard.CurrentState(), State{});
}

TEST(SimulatedKeyboardTest, InjectedFailuresKeepFramesAndReadsFromTheKeyboard) {
  SimulatedKeyboard keyboard;
  keyboard.SetFeature(Frame({0x07, 0xFB, 0x01}));
  keyboard.FailNextTransfers(2);

  EXPECT_FALSE(keyboard.SetFeature(Frame({0x07, 0xFC, 2})));
  hid::Report reply{0x07};
  EXPECT_FALSE(keyboard.GetFeature(reply));
  EXPECT_EQ(reply, Frame({0x07}));
  EXPECT_EQ(keyboard.CurrentState().activeProfile, 0u);

  EXPECT_TRUE(keyboard.GetFeature(reply));
  EXPECT_EQ(reply[1], 0xEE) << "the failed read consumed no reply";
}

TEST(SimulatedKeyboardTest, UnpluggingFailsEverythingAndDropsWhatWasUnderWay) {
  SimulatedKeyboard keyboard;
  SendRecord(keyboard, Record(1, 1, 0x04), 0, 10);
  keyboard.SetFeature(Frame({0x07, 0xFB, 0x01}));
  const auto connection = keyboard.connection();
  keyboard.SetPlugged(false);

  EXPECT_FALSE(keyboard.SetFeature(Frame({0x07, 0xFC, 2})));
  hid::Report reply{0x07};
  EXPECT_FALSE(keyboard.GetFeature(reply));
  EXPECT_FALSE(keyboard.downloadInProgress());

  keyboard.SetPlugged(true);
  EXPECT_NE(keyboard.connection(), connection);
  EXPECT_TRUE(keyboard.GetFeature(reply));
  EXPECT_EQ(reply, Frame({0x07})) << "the replies armed before were dropped";
  EXPECT_EQ(SendRecord(keyboard, Record(1, 1, 0x04), 10, 28), 18);
  EXPECT_EQ(keyboard.ignored().continuationWithoutStart, 18);
  EXPECT_EQ(keyboard.CurrentState(), State{});
}

}  // namespace
}  // namespace keyloom::sim

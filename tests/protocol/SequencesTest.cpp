#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ProtocolFixture.h"
#include "protocol/CommandFrame.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/UserTexts.h"

namespace keyloom::protocol {
namespace {

using std::chrono::milliseconds;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Half = KeySlotTable::Half;
using Trace = std::vector<std::string>;

std::string Hex(const std::uint8_t* bytes, std::size_t count) {
  std::string text;
  char digits[3];
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(digits, sizeof digits, "%02x", bytes[i]);
    text += digits;
  }
  return text;
}

// The lines of a download of `record` that the transport takes at first try.
Trace DownloadTrace(const KeyAssignmentRecord& record) {
  Trace lines;
  for (std::size_t frame = 0; frame < 28; ++frame) {
    lines.push_back("set 07" + std::string(frame == 0 ? "f1" : "00") +
                    Hex(record.bytes().data() + 6 * frame, 6) + " ok");
    lines.emplace_back("pause 8");
  }
  return lines;
}

Trace Concat(std::initializer_list<Trace> parts) {
  Trace all;
  for (const Trace& part : parts) {
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

class SequencesTest : public ::testing::Test, protected testing::ProtocolFixture {
 protected:
  // Records the warnings the sequences show.
  ShowWarning warn = [this](std::string_view caption, std::string_view text) {
    warnings.push_back(std::string(caption) + ": " + std::string(text));
  };
  std::vector<std::string> warnings;
  KeyboardState state;
};

TEST_F(SequencesTest, SelectProfileSendsTheProfileNumberThenPauses) {
  SelectProfile(link, 2);
  SelectProfile(link, -1);

  EXPECT_THAT(trace, ElementsAre("set 07fc030000000000 ok", "pause 50", "set 07fc000000000000 ok",
                                 "pause 50"));
}

TEST_F(SequencesTest, SlotReadTakesTheSlotsFromTheirPlacesInTheFourReplies) {
  transport.replies = {{0x07, 0xEE, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16},
                       {0x07, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0xEE},
                       {0x07, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27},
                       {0x07, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0xEE, 0xEE}};
  const KeySlotTable table = ReadKeySlots(link);

  EXPECT_THAT(table.bytes(), ElementsAreArray({0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18,
                                               0x19, 0x1A, 0x1B, 0x1C, 0x21, 0x22, 0x23, 0x24,
                                               0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C}));
  EXPECT_THAT(trace, ElementsAre("pause 50", "set 07fb010000000000 ok", "pause 10", "pause 10",
                                 "get 07ee111213141516 ok", "pause 10", "get 071718191a1b1cee ok",
                                 "pause 10", "get 0721222324252627 ok", "pause 10",
                                 "get 0728292a2b2ceeee ok"));
}

TEST_F(SequencesTest, FailedReadsLeaveTheirSlotsFree) {
  transport.replies = {{0x07, 0xEE, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16}};
  const KeySlotTable table = ReadKeySlots(link);

  EXPECT_EQ(table.slot(Half::kMacro, 5), 0x16);
  EXPECT_EQ(table.slot(Half::kMacro, 6), 0x00);
  EXPECT_FALSE(table.FindExact(Half::kRemap, 0xEE).has_value());

  trace.clear();
  clock.ClearPauses();
  EXPECT_EQ(ReadKeySlots(link), KeySlotTable());
  EXPECT_EQ(trace, testing::FailedSlotReadTrace());
  EXPECT_THAT(clock.pauses(), ElementsAre(milliseconds(50), milliseconds(10), milliseconds(10),
                                          milliseconds(10), milliseconds(10), milliseconds(10)));
}

KeyAssignmentRecord CountingRecord() {
  KeyAssignmentRecord::Bytes bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>(0xA0 ^ i);
  }
  return KeyAssignmentRecord(bytes);
}

TEST_F(SequencesTest, RecordDownloadIsAlwaysTwentyEightFramesEachFollowedByEightMs) {
  const KeyAssignmentRecord record = CountingRecord();
  WriteKeyRecord(link, record);

  EXPECT_EQ(trace, DownloadTrace(record));
  ASSERT_EQ(transport.sent.size(), 28u);
  EXPECT_EQ(transport.sent[0][1], 0xF1);
  for (std::size_t frame = 1; frame < 28; ++frame) {
    EXPECT_EQ(transport.sent[frame][1], 0x00) << "frame " << frame;
  }
}

TEST_F(SequencesTest, ARejectedFrameIsTriedAtMostFourTimesThenTheDownloadMovesOn) {
  const KeyAssignmentRecord record = CountingRecord();
  const hid::Report fifth = CommandFrame::KeyRecordPart(record, 5).report();
  for (int rejections = 0; rejections <= 5; ++rejections) {
    SCOPED_TRACE(rejections);
    transport.sent.clear();
    clock.ClearPauses();
    int rejected = 0;
    transport.reject = [&](const hid::Report& report) {
      return report == fifth && rejected++ < rejections;
    };
    WriteKeyRecord(link, record);

    const int tries = std::min(rejections + 1, 4);
    EXPECT_EQ(transport.sent.size(), static_cast<std::size_t>(27 + tries));
    EXPECT_EQ(std::count(transport.sent.begin(), transport.sent.end(), fifth), tries);
    EXPECT_EQ(transport.sent.back(), CommandFrame::KeyRecordPart(record, 27).report());
    EXPECT_EQ(clock.pauses(), std::vector<milliseconds>(28, milliseconds(8)));
  }
}

TEST_F(SequencesTest, RetriesFollowEachOtherWithoutAPause) {
  const KeyAssignmentRecord record = CountingRecord();
  int rejected = 0;
  transport.reject = [&](const hid::Report&) { return rejected++ < 2; };
  WriteKeyRecord(link, record);

  const std::string first = "07f1" + Hex(record.bytes().data(), 6);
  EXPECT_THAT(Trace(trace.begin(), trace.begin() + 5),
              ElementsAre("set " + first + " fail", "set " + first + " fail",
                          "set " + first + " ok", "pause 8", trace[4]));
  EXPECT_EQ(trace[4].substr(0, 8), "set 0700");
}

TEST_F(SequencesTest, OnlyRecordFramesAreRetried) {
  transport.reject = [](const hid::Report&) { return true; };
  state.slots.SetSlot(Half::kRemap, 0, 0x04);
  SelectProfile(link, 0);
  SendLighting(link, 0, state.lighting);
  KeyAssignmentRecord record;
  DeleteKeyAssignment(link, state, 0, record, {{0x04, "A"}});
  RestoreFactory(link, state, {[](auto, auto) { return true; }, nullptr});
  EXPECT_EQ(transport.sent.size(), 1u + 1u + (1u + 1u) + (1u + 1u));

  transport.sent.clear();
  WriteKeyRecord(link, KeyAssignmentRecord());
  EXPECT_EQ(transport.sent.size(), 28u * 4u);
}

TEST_F(SequencesTest, MacroReusesTheKeysOwnSlotAndFillsProfileSlotAndKey) {
  state.profileIndex = 1;
  state.slots.SetSlot(Half::kMacro, 1, 0xE0);
  KeyAssignmentRecord record;
  record.SetRepeatCount(3);
  record.SetEvent(0, MakeKeyEvent(0x04, false, 2000));

  EXPECT_EQ(ApplyKeyAssignment(link, state, 1, record, {{0xE0, "Ctrl Left"}}, warn),
            AssignmentOutcome::kDone);

  EXPECT_THAT(std::vector<std::uint8_t>(record.bytes().begin(), record.bytes().begin() + 6),
              ElementsAre(2, 2, 0xE0, 3, 0x04, 0x54));
  EXPECT_EQ(trace, Concat({DownloadTrace(record), {"pause 20"}, testing::FailedSlotReadTrace()}));
  EXPECT_EQ(state.slots, KeySlotTable()) << "the table is what the keyboard reported";
  EXPECT_TRUE(warnings.empty());
}

TEST_F(SequencesTest, MacroForANewKeyTakesTheLowestFreeSlot) {
  state.slots.SetSlot(Half::kMacro, 0, 0x04);
  state.slots.SetSlot(Half::kMacro, 2, 0x05);
  KeyAssignmentRecord record;
  record.SetRepeatCount(1);

  ApplyKeyAssignment(link, state, 0, record, {{0x06, "C"}}, warn);

  EXPECT_EQ(record.profileNumber(), 1);
  EXPECT_EQ(record.slotNumber(), 2);
  EXPECT_EQ(record.keyCode(), 0x06);
}

TEST_F(SequencesTest, AFullMacroHalfStopsEvenARemapBeforeAnythingIsSent) {
  for (std::size_t slot = 0; slot < 12; ++slot) {
    state.slots.SetSlot(Half::kMacro, slot, static_cast<std::uint8_t>(0x10 + slot));
  }
  const KeySlotTable before = state.slots;
  KeyAssignmentRecord record;
  record.SetKeyCode(0x05);

  EXPECT_EQ(ApplyKeyAssignment(link, state, 0, record, {{0x04, "A"}, {0x10, "M"}}, warn),
            AssignmentOutcome::kNoSpace);

  EXPECT_TRUE(trace.empty());
  EXPECT_THAT(warnings, ElementsAre(std::string("Warning: ") + kInsufficientSpaceText));
  EXPECT_EQ(state.slots, before);
}

TEST_F(SequencesTest, AFullRemapHalfStopsTheRemap) {
  for (std::size_t slot = 0; slot < 12; ++slot) {
    state.slots.SetSlot(Half::kRemap, slot, static_cast<std::uint8_t>(0x10 + slot));
  }
  KeyAssignmentRecord record;
  record.SetKeyCode(0x05);

  EXPECT_EQ(ApplyKeyAssignment(link, state, 0, record, {{0x04, "A"}}, warn),
            AssignmentOutcome::kNoSpace);
  EXPECT_TRUE(trace.empty());
  EXPECT_EQ(warnings.size(), 1u);
}

TEST_F(SequencesTest, RepeatZeroRemapsTheKeyToByteTwoInTheProfileEntry) {
  state.profileIndex = 0;
  state.slots.SetSlot(Half::kRemap, 0, 0x07);
  state.slots.SetSlot(Half::kRemap, 2, 0xE1);
  KeyAssignmentRecord record;
  record.SetKeyCode(0x06);

  ApplyKeyAssignment(link, state, 1, record, {{0x04, "A"}}, warn);
  ApplyKeyAssignment(link, state, 2, record, {{0xE1, "Shift Left"}}, warn);

  const Trace read = testing::FailedSlotReadTrace();
  EXPECT_EQ(trace, Concat({{"set 07fa020204010601 ok", "pause 20"},
                           read,
                           {"set 07fa0301e1010601 ok", "pause 20"},
                           read}));
}

TEST_F(SequencesTest, MacroWithRepeatZeroIsARemapOfTheKeyToItself) {
  KeyAssignmentRecord record;
  record.SetKeyCode(0xE0);
  record.SetEvent(0, MakeKeyEvent(0x04, false, 10));

  ApplyKeyAssignment(link, state, 0, record, {{0xE0, "Ctrl Left"}}, warn);

  ASSERT_FALSE(trace.empty());
  EXPECT_EQ(trace[0], "set 07fa0101e001e001 ok");
}

TEST_F(SequencesTest, RemapWithoutAProfileEntrySkipsTheKey) {
  KeyAssignmentRecord record;
  record.SetKeyCode(0x05);

  EXPECT_EQ(ApplyKeyAssignment(link, state, -1, record, {{0x04, "A"}}, warn),
            AssignmentOutcome::kDone);
  EXPECT_TRUE(trace.empty());
}

TEST_F(SequencesTest, ARecordWithoutMacroOrTargetAssignsNothing) {
  KeyAssignmentRecord record;

  EXPECT_EQ(ApplyKeyAssignment(link, state, 0, record, {{0x04, "A"}}, warn),
            AssignmentOutcome::kNothingToAssign);
  EXPECT_TRUE(trace.empty());
  EXPECT_TRUE(warnings.empty());
}

TEST_F(SequencesTest, DeletingAKeyInBothHalvesFreesOnlyItsMacro) {
  state.profileIndex = 2;
  state.slots.SetSlot(Half::kMacro, 4, 0xE0);
  state.slots.SetSlot(Half::kRemap, 0, 0xE0);
  KeyAssignmentRecord record = CountingRecord();

  DeleteKeyAssignment(link, state, 2, record, {{0xE0, "Ctrl Left"}});

  KeyAssignmentRecord freed;
  freed.SetProfileNumber(3);
  freed.SetSlotNumber(5);
  EXPECT_EQ(record, freed);
  EXPECT_EQ(trace, Concat({DownloadTrace(freed), testing::FailedSlotReadTrace()}));
}

TEST_F(SequencesTest, DeletingARemapClearsItsSlotInTheProfileEntry) {
  state.slots.SetSlot(Half::kRemap, 11, 0x04);
  KeyAssignmentRecord record;

  DeleteKeyAssignment(link, state, 1, record, {{0x04, "A"}});

  EXPECT_EQ(trace,
            Concat({{"set 07fa020c00010001 ok", "pause 10"}, testing::FailedSlotReadTrace()}));
}

TEST_F(SequencesTest, DeletingWithoutAnAssignmentOrProfileEntryOnlyRereadsTheSlots) {
  state.slots.SetSlot(Half::kRemap, 0, 0x05);
  KeyAssignmentRecord record;

  DeleteKeyAssignment(link, state, 0, record, {{0x04, "A"}});
  DeleteKeyAssignment(link, state, -1, record, {{0x05, "B"}});

  EXPECT_EQ(trace, Concat({testing::FailedSlotReadTrace(), testing::FailedSlotReadTrace()}));
}

TEST_F(SequencesTest, CancellingTheFactoryRestoreSendsNothing) {
  state.profileIndex = 2;
  state.lighting[0].bytes[0] = 7;
  std::string asked;
  const bool ran = RestoreFactory(link, state,
                                  {[&](std::string_view caption, std::string_view question) {
                                     asked = std::string(caption) + ": " + std::string(question);
                                     return false;
                                   },
                                   [this] { Note("after reset"); }});

  EXPECT_FALSE(ran);
  EXPECT_EQ(asked, std::string("Warning: ") + kRestoreFactoryQuestion);
  EXPECT_TRUE(trace.empty());
  EXPECT_EQ(state.profileIndex, 2);
  EXPECT_FALSE(RestoreFactory(link, state, {}));
  EXPECT_TRUE(trace.empty());
}

TEST_F(SequencesTest, FactoryRestoreResetsTheStateBeforeTheCallbackAndRereadsAfter800Ms) {
  state.profileIndex = 2;
  state.lighting[0].bytes[0] = 7;
  state.slots.SetSlot(Half::kMacro, 0, 0x04);
  bool resetSeen = false;
  const bool ran =
      RestoreFactory(link, state,
                     {[](auto, auto) { return true; },
                      [&] {
                        resetSeen = state.profileIndex == 0 && state.lighting == LightingTable();
                        Note("after reset");
                      }});

  EXPECT_TRUE(ran);
  EXPECT_TRUE(resetSeen);
  EXPECT_EQ(trace, Concat({{"pause 50", "set 07f0aa0000000000 ok", "after reset", "pause 800"},
                           testing::FailedSlotReadTrace()}));
  EXPECT_EQ(state.slots, KeySlotTable());
}

}  // namespace
}  // namespace keyloom::protocol

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ProtocolFixture.h"
#include "protocol/CommandFrame.h"
#include "protocol/KeyboardProtocol.h"

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

// The four replies of a slot read that reports `table`, with the unused bytes filled.
std::vector<hid::Report> SlotReplies(const KeySlotTable& table) {
  const auto& b = table.bytes();
  return {{0x07, 0xEE, b[0], b[1], b[2], b[3], b[4], b[5]},
          {0x07, b[6], b[7], b[8], b[9], b[10], b[11], 0xEE},
          {0x07, b[12], b[13], b[14], b[15], b[16], b[17], b[18]},
          {0x07, b[19], b[20], b[21], b[22], b[23], 0xEE, 0xEE}};
}

class SequencesTest : public ::testing::Test, protected testing::ProtocolFixture {
 protected:
  SequencesTest() { state.slotsWhole = true; }

  // The keyboard answers the next slot read with `table`.
  void AnswerSlotRead(const KeySlotTable& table) {
    for (const hid::Report& reply : SlotReplies(table)) {
      transport.replies.push_back(reply);
    }
  }

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
  const SlotRead read = ReadKeySlots(link);

  EXPECT_TRUE(read.whole);
  EXPECT_TRUE(read.transfers.ok());
  EXPECT_THAT(
      read.slots.bytes(),
      ElementsAreArray({0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C,
                        0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C}));
  EXPECT_THAT(trace, ElementsAre("pause 50", "set 07fb010000000000 ok", "pause 10", "pause 10",
                                 "get 07ee111213141516 ok", "pause 10", "get 071718191a1b1cee ok",
                                 "pause 10", "get 0721222324252627 ok", "pause 10",
                                 "get 0728292a2b2ceeee ok"));
}

TEST_F(SequencesTest, FailedReadsLeaveTheirSlotsFreeAndTheTableIsNotWhole) {
  transport.replies = {{0x07, 0xEE, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16}};
  const SlotRead read = ReadKeySlots(link);

  EXPECT_EQ(read.slots.slot(Half::kMacro, 5), 0x16);
  EXPECT_EQ(read.slots.slot(Half::kMacro, 6), 0x00);
  EXPECT_FALSE(read.slots.FindExact(Half::kRemap, 0xEE).has_value());
  EXPECT_FALSE(read.whole);
  EXPECT_EQ(read.transfers.failedGets(), 3u);
  ASSERT_TRUE(read.transfers.firstFailure().has_value());
  EXPECT_EQ(read.transfers.firstFailure()->kind, Transfers::Kind::kGet);

  trace.clear();
  clock.ClearPauses();
  EXPECT_EQ(ReadKeySlots(link).slots, KeySlotTable());
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

TEST_F(SequencesTest, ARequestTheKeyboardRejectsMakesTheReadNotWhole) {
  transport.reject = [](const hid::Report&) { return true; };
  AnswerSlotRead(KeySlotTable());

  const SlotRead read = ReadKeySlots(link);

  EXPECT_FALSE(read.whole);
  EXPECT_EQ(read.transfers.failedSets(), 1u);
  EXPECT_EQ(read.transfers.failedGets(), 0u);
}

TEST_F(SequencesTest, RecordDownloadIsAlwaysTwentyEightFramesEachFollowedByEightMs) {
  const KeyAssignmentRecord record = CountingRecord();
  const Transfers transfers = WriteKeyRecord(link, record);

  EXPECT_EQ(trace, DownloadTrace(record));
  EXPECT_TRUE(transfers.ok());
  EXPECT_EQ(transfers.sets(), 28u);
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
    const Transfers transfers = WriteKeyRecord(link, record);

    const int tries = std::min(rejections + 1, 4);
    EXPECT_EQ(transport.sent.size(), static_cast<std::size_t>(27 + tries));
    EXPECT_EQ(std::count(transport.sent.begin(), transport.sent.end(), fifth), tries);
    EXPECT_EQ(transport.sent.back(), CommandFrame::KeyRecordPart(record, 27).report());
    EXPECT_EQ(clock.pauses(), std::vector<milliseconds>(28, milliseconds(8)));
    // Only a frame whose last try failed is lost.
    EXPECT_EQ(transfers.failedSets(), rejections >= 4 ? 1u : 0u);
    if (rejections >= 4) {
      EXPECT_EQ(transfers.firstFailure()->frame, fifth);
    }
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

TEST_F(SequencesTest, OnlyRecordFramesAreRetriedAndEveryFailureIsReported) {
  transport.reject = [](const hid::Report&) { return true; };
  state.slots.SetSlot(Half::kRemap, 0, 0x04);
  EXPECT_EQ(SelectProfile(link, 0).failedSets(), 1u);
  EXPECT_EQ(SendLighting(link, 0, state.lighting).failedSets(), 1u);
  KeyAssignmentRecord record;
  const AssignmentResult deleted = DeleteKeyAssignment(link, state, 0, record, {{0x04, "A"}});
  EXPECT_EQ(deleted.transfers.failedSets(), 2u);
  EXPECT_EQ(deleted.transfers.firstFailure()->frame, CommandFrame::ClearKeyMapping(0, 0).report());
  EXPECT_EQ(deleted.outcome, AssignmentOutcome::kUnconfirmed);
  EXPECT_EQ(RestoreFactory(link, state, nullptr).transfers.failedSets(), 2u);
  EXPECT_EQ(transport.sent.size(), 1u + 1u + (1u + 1u) + (1u + 1u));

  transport.sent.clear();
  EXPECT_EQ(WriteKeyRecord(link, KeyAssignmentRecord()).failedSets(), 28u);
  EXPECT_EQ(transport.sent.size(), 28u * 4u);
}

TEST_F(SequencesTest, MacroReusesTheKeysOwnSlotAndFillsProfileSlotAndKey) {
  state.profileIndex = 1;
  state.slots.SetSlot(Half::kMacro, 1, 0xE0);
  KeyAssignmentRecord record;
  record.SetRepeatCount(3);
  record.SetEvent(0, MakeKeyEvent(0x04, false, 2000));
  AnswerSlotRead(state.slots);

  const AssignmentResult result = ApplyKeyAssignment(link, state, 1, record, {{0xE0, "Ctrl Left"}});

  EXPECT_EQ(result.outcome, AssignmentOutcome::kDone);
  EXPECT_EQ(result.keyCode, 0xE0);
  EXPECT_EQ(result.half, Half::kMacro);
  EXPECT_EQ(result.slot, 1u);
  EXPECT_THAT(std::vector<std::uint8_t>(record.bytes().begin(), record.bytes().begin() + 6),
              ElementsAre(2, 2, 0xE0, 3, 0x04, 0x54));
  EXPECT_EQ(Trace(trace.begin(), trace.begin() + 58),
            Concat({DownloadTrace(record), {"pause 20", "pause 50"}}));
}

TEST_F(SequencesTest, MacroForANewKeyTakesTheLowestFreeSlot) {
  state.slots.SetSlot(Half::kMacro, 0, 0x04);
  state.slots.SetSlot(Half::kMacro, 2, 0x05);
  KeyAssignmentRecord record;
  record.SetRepeatCount(1);

  ApplyKeyAssignment(link, state, 0, record, {{0x06, "C"}});

  EXPECT_EQ(record.profileNumber(), 1);
  EXPECT_EQ(record.slotNumber(), 2);
  EXPECT_EQ(record.keyCode(), 0x06);
}

// What the slot read after an assignment says decides its outcome; the table read is kept.
TEST_F(SequencesTest, TheSlotReadAfterAnAssignmentDecidesItsOutcome) {
  KeySlotTable withKey;
  withKey.SetSlot(Half::kMacro, 0, 0x04);
  KeySlotTable remapped;
  remapped.SetSlot(Half::kRemap, 0, 0x04);
  struct Case {
    const char* name;
    bool macro;
    std::vector<hid::Report> replies;
    AssignmentOutcome outcome;
  };
  std::vector<hid::Report> lastReplyLost = SlotReplies(withKey);
  lastReplyLost.pop_back();
  const Case cases[] = {
      {"macro seen in its slot", true, SlotReplies(withKey), AssignmentOutcome::kDone},
      {"macro absent", true, SlotReplies(KeySlotTable()), AssignmentOutcome::kNotTaken},
      {"macro only as a remap", true, SlotReplies(remapped), AssignmentOutcome::kNotTaken},
      {"macro, last reply lost", true, lastReplyLost, AssignmentOutcome::kUnconfirmed},
      {"remap seen in its slot", false, SlotReplies(remapped), AssignmentOutcome::kDone},
      {"remap only as a macro", false, SlotReplies(withKey), AssignmentOutcome::kNotTaken},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    state = KeyboardState();
    state.slotsWhole = true;
    transport.replies.assign(c.replies.begin(), c.replies.end());
    KeyAssignmentRecord record;
    record.SetKeyCode(0x05);
    record.SetRepeatCount(c.macro ? 1 : 0);

    const AssignmentResult result = ApplyKeyAssignment(link, state, 0, record, {{0x04, "A"}});

    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.keyCode, 0x04);
    EXPECT_EQ(result.slot.has_value(), c.outcome == AssignmentOutcome::kDone);
    EXPECT_EQ(state.slotsWhole, c.outcome != AssignmentOutcome::kUnconfirmed);
  }
}

// Where each key's change went, in the order of the keys: the slot the search chose and the
// change was sent to, the profile it went to, and what the read after it showed.
TEST_F(SequencesTest, TheResultPlacesEachKeyItReached) {
  const auto table = [](std::vector<std::uint8_t> macros, std::vector<std::uint8_t> remaps) {
    KeySlotTable slots;
    for (std::size_t i = 0; i < macros.size(); ++i) {
      slots.SetSlot(Half::kMacro, i, macros[i]);
    }
    for (std::size_t i = 0; i < remaps.size(); ++i) {
      slots.SetSlot(Half::kRemap, i, remaps[i]);
    }
    return slots;
  };
  const std::vector<std::uint8_t> elevenTaken = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15,
                                                 0x16, 0x17, 0x18, 0x19, 0x1A};
  std::vector<std::uint8_t> elevenAndA = elevenTaken;
  elevenAndA.push_back(0x04);
  constexpr auto kDone = AssignmentOutcome::kDone;
  struct Case {
    const char* name;
    bool macro;
    int profileEntry;
    KeySlotTable before;
    std::vector<KeySlotTable> readsAfter;  // the keyboard's answer after each key
    AssignmentOutcome outcome;
    std::vector<KeyPlacement> placements;
  };
  const Case cases[] = {
      {"several keys",
       true,
       2,
       KeySlotTable(),
       {table({0x04}, {}), table({0x04, 0x05}, {})},
       kDone,
       {{0x04, Half::kMacro, 1, 0, kDone}, {0x05, Half::kMacro, 1, 1, kDone}}},
      {"a full half stops the rest",
       true,
       2,
       table(elevenTaken, {}),
       {table(elevenAndA, {})},
       AssignmentOutcome::kNoSpace,
       {{0x04, Half::kMacro, 1, 11, kDone},
        {0x05, Half::kMacro, 1, std::nullopt, AssignmentOutcome::kNoSpace}}},
      {"a key not taken keeps the slot it was sent to",
       true,
       2,
       table({0x10}, {}),
       {table({0x10}, {})},
       AssignmentOutcome::kNotTaken,
       {{0x04, Half::kMacro, 1, 1, AssignmentOutcome::kNotTaken}}},
      {"a remap goes into the profile entry's profile",
       false,
       2,
       table({}, {0x10, 0x05}),
       {table({}, {0x10, 0x05, 0x04}), table({}, {0x10, 0x05, 0x04})},
       kDone,
       {{0x04, Half::kRemap, 2, 2, kDone}, {0x05, Half::kRemap, 2, 1, kDone}}},
      {"a remap without a profile entry is skipped", false, -1, KeySlotTable(), {}, kDone, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    state = KeyboardState();
    state.profileIndex = 1;
    state.slots = c.before;
    state.slotsWhole = true;
    transport.replies.clear();
    for (const KeySlotTable& read : c.readsAfter) {
      AnswerSlotRead(read);
    }
    KeyAssignmentRecord record;
    record.SetRepeatCount(c.macro ? 1 : 0);
    record.SetKeyCode(0x07);

    const AssignmentResult result =
        ApplyKeyAssignment(link, state, c.profileEntry, record, {{0x04, "A"}, {0x05, "B"}});

    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.placements, c.placements);
  }
}

// A removal places each key it removed where it was, and the one read at the end tells for each
// whether it is gone; a key without an assignment has no place.
TEST_F(SequencesTest, ARemovalPlacesEachKeyWhereItWasRemovedFrom) {
  state.slots.SetSlot(Half::kMacro, 3, 0x04);
  state.slots.SetSlot(Half::kRemap, 5, 0x05);
  KeySlotTable after;
  after.SetSlot(Half::kRemap, 5, 0x05);
  AnswerSlotRead(after);
  KeyAssignmentRecord record;

  const AssignmentResult result =
      DeleteKeyAssignment(link, state, 1, record, {{0x04, "A"}, {0x05, "B"}, {0x06, "C"}});

  EXPECT_EQ(result.outcome, AssignmentOutcome::kNotTaken);
  EXPECT_EQ(result.keyCode, 0x05);
  EXPECT_THAT(result.placements,
              ElementsAre(KeyPlacement{0x04, Half::kMacro, 0, 3, AssignmentOutcome::kDone},
                          KeyPlacement{0x05, Half::kRemap, 1, 5, AssignmentOutcome::kNotTaken}));
}

TEST_F(SequencesTest, AKeyTheKeyboardDidNotTakeStopsTheKeysAfterIt) {
  AnswerSlotRead(KeySlotTable());
  KeyAssignmentRecord record;
  record.SetRepeatCount(1);

  const AssignmentResult result =
      ApplyKeyAssignment(link, state, 0, record, {{0x04, "A"}, {0x05, "B"}});

  EXPECT_EQ(result.outcome, AssignmentOutcome::kNotTaken);
  EXPECT_EQ(result.keyCode, 0x04);
  EXPECT_EQ(transport.sent.size(), 28u + 1u);
}

TEST_F(SequencesTest, NothingIsAssignedOrDeletedFromATableThatIsNotWhole) {
  state.slotsWhole = false;
  state.slots.SetSlot(Half::kMacro, 0, 0x04);
  KeyAssignmentRecord record;
  record.SetRepeatCount(1);

  EXPECT_EQ(ApplyKeyAssignment(link, state, 0, record, {{0x05, "B"}}).outcome,
            AssignmentOutcome::kSlotsUnknown);
  EXPECT_EQ(DeleteKeyAssignment(link, state, 0, record, {{0x04, "A"}}).outcome,
            AssignmentOutcome::kSlotsUnknown);
  EXPECT_TRUE(trace.empty());
}

TEST_F(SequencesTest, AFullMacroHalfStopsEvenARemapBeforeAnythingIsSent) {
  for (std::size_t slot = 0; slot < 12; ++slot) {
    state.slots.SetSlot(Half::kMacro, slot, static_cast<std::uint8_t>(0x10 + slot));
  }
  const KeySlotTable before = state.slots;
  KeyAssignmentRecord record;
  record.SetKeyCode(0x05);

  const AssignmentResult result =
      ApplyKeyAssignment(link, state, 0, record, {{0x04, "A"}, {0x10, "M"}});

  EXPECT_EQ(result.outcome, AssignmentOutcome::kNoSpace);
  EXPECT_EQ(result.keyCode, 0x04);
  EXPECT_TRUE(trace.empty());
  EXPECT_EQ(state.slots, before);
}

TEST_F(SequencesTest, AFullRemapHalfStopsTheRemap) {
  for (std::size_t slot = 0; slot < 12; ++slot) {
    state.slots.SetSlot(Half::kRemap, slot, static_cast<std::uint8_t>(0x10 + slot));
  }
  KeyAssignmentRecord record;
  record.SetKeyCode(0x05);

  EXPECT_EQ(ApplyKeyAssignment(link, state, 0, record, {{0x04, "A"}}).outcome,
            AssignmentOutcome::kNoSpace);
  EXPECT_TRUE(trace.empty());
}

TEST_F(SequencesTest, RepeatZeroRemapsTheKeyToByteTwoInTheProfileEntry) {
  state.profileIndex = 0;
  state.slots.SetSlot(Half::kRemap, 0, 0x07);
  state.slots.SetSlot(Half::kRemap, 2, 0xE1);
  KeyAssignmentRecord record;
  record.SetKeyCode(0x06);
  KeySlotTable after = state.slots;
  after.SetSlot(Half::kRemap, 1, 0x04);
  AnswerSlotRead(after);

  ApplyKeyAssignment(link, state, 1, record, {{0x04, "A"}});
  ApplyKeyAssignment(link, state, 2, record, {{0xE1, "Shift Left"}});

  const Trace read = testing::FailedSlotReadTrace();
  EXPECT_EQ(Trace(trace.begin(), trace.begin() + 2),
            Trace({"set 07fa020204010601 ok", "pause 20"}));
  EXPECT_EQ(Trace(trace.end() - 13, trace.end()),
            Concat({{"set 07fa0303e1010601 ok", "pause 20"}, read}));
}

TEST_F(SequencesTest, MacroWithRepeatZeroIsARemapOfTheKeyToItself) {
  KeyAssignmentRecord record;
  record.SetKeyCode(0xE0);
  record.SetEvent(0, MakeKeyEvent(0x04, false, 10));

  ApplyKeyAssignment(link, state, 0, record, {{0xE0, "Ctrl Left"}});

  ASSERT_FALSE(trace.empty());
  EXPECT_EQ(trace[0], "set 07fa0101e001e001 ok");
}

TEST_F(SequencesTest, RemapWithoutAProfileEntrySkipsTheKey) {
  KeyAssignmentRecord record;
  record.SetKeyCode(0x05);

  const AssignmentResult result = ApplyKeyAssignment(link, state, -1, record, {{0x04, "A"}});
  EXPECT_EQ(result.outcome, AssignmentOutcome::kDone);
  EXPECT_FALSE(result.slot.has_value());
  EXPECT_TRUE(trace.empty());
}

TEST_F(SequencesTest, ARecordWithoutMacroOrTargetAssignsNothing) {
  KeyAssignmentRecord record;

  EXPECT_EQ(ApplyKeyAssignment(link, state, 0, record, {{0x04, "A"}}).outcome,
            AssignmentOutcome::kNothingToAssign);
  EXPECT_TRUE(trace.empty());
}

TEST_F(SequencesTest, DeletingAKeyInBothHalvesFreesOnlyItsMacro) {
  state.profileIndex = 2;
  state.slots.SetSlot(Half::kMacro, 4, 0xE0);
  state.slots.SetSlot(Half::kRemap, 0, 0xE0);
  KeyAssignmentRecord record = CountingRecord();
  KeySlotTable after;
  after.SetSlot(Half::kRemap, 0, 0xE0);
  AnswerSlotRead(after);

  EXPECT_EQ(DeleteKeyAssignment(link, state, 2, record, {{0xE0, "Ctrl Left"}}).outcome,
            AssignmentOutcome::kDone);

  KeyAssignmentRecord freed;
  freed.SetProfileNumber(3);
  freed.SetSlotNumber(5);
  EXPECT_EQ(record, freed);
  EXPECT_EQ(Trace(trace.begin(), trace.begin() + 56), DownloadTrace(freed));
}

TEST_F(SequencesTest, DeletingARemapClearsItsSlotInTheProfileEntryAndChecksItIsGone) {
  state.slots.SetSlot(Half::kRemap, 11, 0x04);
  KeyAssignmentRecord record;
  AnswerSlotRead(state.slots);

  EXPECT_EQ(DeleteKeyAssignment(link, state, 1, record, {{0x04, "A"}}).outcome,
            AssignmentOutcome::kNotTaken);

  EXPECT_EQ(Trace(trace.begin(), trace.begin() + 3),
            Trace({"set 07fa020c00010001 ok", "pause 10", "pause 50"}));
}

TEST_F(SequencesTest, DeletingWithoutAnAssignmentOrProfileEntryOnlyRereadsTheSlots) {
  state.slots.SetSlot(Half::kRemap, 0, 0x05);
  KeyAssignmentRecord record;

  EXPECT_EQ(DeleteKeyAssignment(link, state, 0, record, {{0x04, "A"}}).outcome,
            AssignmentOutcome::kDone);
  state.slots.SetSlot(Half::kRemap, 0, 0x05);
  state.slotsWhole = true;
  DeleteKeyAssignment(link, state, -1, record, {{0x05, "B"}});

  EXPECT_EQ(trace, Concat({testing::FailedSlotReadTrace(), testing::FailedSlotReadTrace()}));
}

TEST_F(SequencesTest, FactoryRestoreResetsTheStateBeforeTheCallbackAndRereadsAfter800Ms) {
  state.profileIndex = 2;
  state.lighting[0].bytes[0] = 7;
  state.slots.SetSlot(Half::kMacro, 0, 0x04);
  bool resetSeen = false;
  const RestoreResult result = RestoreFactory(link, state, [&] {
    resetSeen = state.profileIndex == 0 && state.lighting == LightingTable();
    Note("after reset");
  });

  EXPECT_TRUE(resetSeen);
  EXPECT_FALSE(result.slotsWhole);
  EXPECT_EQ(trace, Concat({{"pause 50", "set 07f0aa0000000000 ok", "after reset", "pause 800"},
                           testing::FailedSlotReadTrace()}));
  EXPECT_EQ(state.slots, KeySlotTable());
}

// Placing goes into the slot given, not the one the slot search would find, and the read after
// it must show the key (or nothing) in exactly that slot.
TEST_F(SequencesTest, PlacingPutsTheKeyIntoTheSlotGivenAndChecksThatSlot) {
  KeyAssignmentRecord macro;
  macro.SetRepeatCount(2);
  macro.SetEvent(0, MakeKeyEvent(0x04, false, 2000));
  KeyAssignmentRecord remap;
  remap.SetKeyCode(0x05);
  KeySlotTable placed;
  placed.SetSlot(Half::kMacro, 5, 0x3E);
  placed.SetSlot(Half::kRemap, 3, 0x3E);
  KeySlotTable elsewhere;
  elsewhere.SetSlot(Half::kMacro, 0, 0x3E);
  elsewhere.SetSlot(Half::kRemap, 0, 0x3E);
  struct Case {
    const char* name;
    Half half;
    const KeyAssignmentRecord* record;  // null: the slot is cleared
    KeySlotTable after;
    std::string firstFrame;
    AssignmentOutcome outcome;
  };
  const Case cases[] = {
      {"macro", Half::kMacro, &macro, placed, "set 07f103063e020454 ok", AssignmentOutcome::kDone},
      {"macro in another slot", Half::kMacro, &macro, elsewhere, "set 07f103063e020454 ok",
       AssignmentOutcome::kNotTaken},
      {"remap", Half::kRemap, &remap, placed, "set 07fa03043e010501 ok", AssignmentOutcome::kDone},
      {"cleared macro", Half::kMacro, nullptr, elsewhere, "set 07f1030600000000 ok",
       AssignmentOutcome::kDone},
      {"cleared remap still there", Half::kRemap, nullptr, placed, "set 07fa030400010001 ok",
       AssignmentOutcome::kNotTaken},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    trace.clear();
    state = KeyboardState();
    state.profileIndex = 2;
    state.slotsWhole = true;
    const std::size_t slot = c.half == Half::kMacro ? 5 : 3;
    AnswerSlotRead(c.after);

    const AssignmentResult result =
        c.record != nullptr ? PlaceKeyAssignment(link, state, c.half, slot, 0x3E, *c.record)
                            : ClearKeySlot(link, state, c.half, slot);

    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.slot, slot);
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front(), c.firstFrame);
    const bool download = c.half == Half::kMacro;
    const std::size_t read = download ? 56 + (c.record != nullptr ? 1 : 0) : 2;
    ASSERT_GT(trace.size(), read);
    EXPECT_EQ(trace[read], "pause 50");
    EXPECT_EQ(trace[read - 1], download ? (c.record != nullptr ? "pause 20" : "pause 8")
                                        : (c.record != nullptr ? "pause 20" : "pause 10"));
  }
}

TEST_F(SequencesTest, PlacingSendsNothingFromATableThatIsNotWholeOrForNothing) {
  KeyAssignmentRecord remap;
  remap.SetKeyCode(0x05);
  state.slotsWhole = false;
  EXPECT_EQ(PlaceKeyAssignment(link, state, Half::kRemap, 0, 0x04, remap).outcome,
            AssignmentOutcome::kSlotsUnknown);
  EXPECT_EQ(ClearKeySlot(link, state, Half::kRemap, 0).outcome, AssignmentOutcome::kSlotsUnknown);
  state.slotsWhole = true;
  EXPECT_EQ(PlaceKeyAssignment(link, state, Half::kMacro, 0, 0x04, remap).outcome,
            AssignmentOutcome::kNothingToAssign);
  EXPECT_EQ(PlaceKeyAssignment(link, state, Half::kRemap, 12, 0x04, remap).outcome,
            AssignmentOutcome::kNothingToAssign);
  EXPECT_THAT(trace, ::testing::IsEmpty());
}

TEST_F(SequencesTest, ARejectedProfileSelectMakesTheProfilesTableNotWhole) {
  transport.reject = [](const hid::Report& frame) { return frame[1] == 0xFC; };
  AnswerSlotRead(KeySlotTable());
  state.profileIndex = 1;

  const SlotRead read = SelectAndReadProfile(link, state);

  EXPECT_FALSE(read.whole);
  EXPECT_FALSE(state.slotsWhole);
  EXPECT_EQ(read.transfers.firstFailure()->frame, CommandFrame::SelectProfile(1).report());
}

}  // namespace
}  // namespace keyloom::protocol

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "macro/MacroLibrary.h"
#include "macro/RecordBuilder.h"

namespace keyloom::macro {
namespace {

using protocol::KeyAssignmentRecord;
using protocol::KeyEvent;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

protocol::SelectedKeys Keys(std::initializer_list<std::pair<std::uint8_t, std::string>> keys) {
  protocol::SelectedKeys selected;
  for (const auto& [code, name] : keys) {
    selected.emplace(code, name);
  }
  return selected;
}

std::vector<std::uint8_t> Bytes(const KeyAssignmentRecord& record, std::size_t from,
                                std::size_t to) {
  return {record.bytes().begin() + static_cast<std::ptrdiff_t>(from),
          record.bytes().begin() + static_cast<std::ptrdiff_t>(to)};
}

class MacroRecordTest : public ::testing::Test {
 protected:
  MacroNode& NewGroup() { return *library_.root().InsertChild(MacroNode::kLast, {{"name", "g"}}); }
  static void Add(MacroNode& group, std::string code, std::string state, std::string delay) {
    group.InsertChild(MacroNode::kLast,
                      {{"code", code}, {"name", ""}, {"state", state}, {"delay", delay}});
  }

  MacroLibrary library_;
};

TEST_F(MacroRecordTest, FillsKeyRepeatAndEventsWithTheirDelays) {
  MacroNode& group = NewGroup();
  Add(group, "4", "0", "2000");
  Add(group, "4", "1", "400");
  const auto built = BuildMacroRecord(Keys({{0x1E, "1"}}), 3, &group);
  EXPECT_THAT(Bytes(built.record, 0, 9), ElementsAre(0, 0, 0x1E, 3, 0x04, 0x54, 0x04, 0xA8, 0));
  EXPECT_FALSE(built.shortened);
  EXPECT_EQ(built.events, 2U);
}

TEST_F(MacroRecordTest, ReadsEventTextsTolerantly) {
  MacroNode& group = NewGroup();
  Add(group, "260", "2", "0");                           // low 8 bits; "replace" is a release
  Add(group, "99999999999", "0", "50000");               // saturates to 0x7fffffff: low byte 0xff
  Add(group, "-1", "-3", "abc");                         // not a number: 0 ms, counted as 10 ms
  Add(group, " 7 apples", "0 ", "12ms");                 // leading blanks, trailing text
  group.InsertChild(MacroNode::kLast, {{"code", "9"}});  // missing attributes read as "0"
  const auto built = BuildMacroRecord(Keys({{0x04, "A"}}), 1, &group);
  EXPECT_THAT(Bytes(built.record, 4, 16),
              ElementsAre(0x04, 0x81, 0xFF, 0x7F, 0xFF, 0x81, 0x07, 0x01, 0x09, 0x01, 0, 0));
}

TEST_F(MacroRecordTest, TheFirstKeyInSignedOrderAndTheLowByteOfRepeatAreUsed) {
  MacroNode& group = NewGroup();
  const auto keys = Keys({{0x04, "A"}, {0xE0, "Ctrl Left"}});
  EXPECT_EQ(BuildMacroRecord(keys, 1, &group).record.keyCode(), 0xE0);
  EXPECT_EQ(BuildMacroRecord(keys, 300, &group).record.repeatCount(), 44);
  EXPECT_EQ(BuildMacroRecord(keys, 256, &group).record.repeatCount(), 0);
  EXPECT_EQ(BuildMacroRecord(keys, 0, &group).record.repeatCount(), 0);
  // A group without events still names the key and the repeat count.
  const auto empty = BuildMacroRecord(keys, 2, &group);
  EXPECT_THAT(Bytes(empty.record, 0, 6), ElementsAre(0, 0, 0xE0, 2, 0, 0));
}

TEST_F(MacroRecordTest, NoGroupOrNoKeyChoosesNothing) {
  MacroNode& group = NewGroup();
  Add(group, "4", "0", "0");
  EXPECT_EQ(BuildMacroRecord(Keys({{0x04, "A"}}), 1, nullptr).record, KeyAssignmentRecord{});
  EXPECT_EQ(BuildMacroRecord({}, 1, &group).record, KeyAssignmentRecord{});
  EXPECT_EQ(BuildMacroRecord(Keys({{0, ""}}), 1, &group).record, KeyAssignmentRecord{});
}

TEST_F(MacroRecordTest, EightyTwoEventsFitWhole) {
  MacroNode& group = NewGroup();
  for (int i = 0; i < 82; ++i) {
    Add(group, "4", "0", "0");  // 82 presses, none released
  }
  const auto built = BuildMacroRecord(Keys({{0x05, "B"}}), 1, &group);
  EXPECT_FALSE(built.shortened);
  EXPECT_EQ(built.events, 82U);
  EXPECT_EQ(built.record.Event(81), (KeyEvent{0x04, 0x01}));
}

TEST_F(MacroRecordTest, ALongGroupIsCutWhereItsHeldKeysCanStillBeReleased) {
  // Ctrl goes down, then A is pressed and released 41 times: 83 events.
  MacroNode& group = NewGroup();
  Add(group, "224", "0", "20");
  for (int i = 0; i < 41; ++i) {
    Add(group, "4", "0", "30");
    Add(group, "4", "1", "40");
  }
  const auto built = BuildMacroRecord(Keys({{0x05, "B"}}), 1, &group);
  EXPECT_TRUE(built.shortened);
  EXPECT_EQ(built.available, 83U);
  EXPECT_EQ(built.used, 81U);  // the 82nd event, a press of A, would leave no room for both
  EXPECT_EQ(built.events, 82U);
  EXPECT_EQ(built.record.Event(80), (KeyEvent{0x04, 0x84}));
  EXPECT_EQ(built.record.Event(81), (KeyEvent{0xE0, kQuickReleaseFlags}));
}

// Replays the record's events and answers the keys still down at its end.
std::set<std::uint8_t> HeldAtEnd(const KeyAssignmentRecord& record) {
  std::set<std::uint8_t> held;
  for (std::size_t i = 0; i < KeyAssignmentRecord::kMaxEvents; ++i) {
    const KeyEvent event = *record.Event(i);
    if ((event.flags & protocol::kKeyEventReleased) != 0) {
      held.erase(event.keyCode);
    } else if (event.keyCode != 0) {
      held.insert(event.keyCode);
    }
  }
  return held;
}

TEST_F(MacroRecordTest, ShortenedRecordsNeverLeaveAKeyHeldAndKeepAsMuchAsFits) {
  std::mt19937 random(2024);
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    library_.Clear();
    MacroNode& group = NewGroup();
    const int count = 83 + static_cast<int>(random() % 120);
    const unsigned long keys = 1 + random() % 40;
    for (int i = 0; i < count; ++i) {
      Add(group, std::to_string(4 + random() % keys), random() % 3 == 0 ? "1" : "0",
          std::to_string(random() % 500));
    }
    const auto built = BuildMacroRecord(Keys({{0x05, "B"}}), 1, &group);
    ASSERT_TRUE(built.shortened);
    ASSERT_LE(built.events, KeyAssignmentRecord::kMaxEvents);
    EXPECT_TRUE(HeldAtEnd(built.record).empty());

    // The group's events come first, in order and unchanged.
    std::set<std::uint8_t> held;
    for (std::size_t i = 0; i < built.used; ++i) {
      const MacroNode& event = *group.ChildAt(static_cast<int>(i));
      const auto code = static_cast<std::uint8_t>(std::stoi(*event.Attribute("code")));
      const bool released = *event.Attribute("state") == "1";
      ASSERT_EQ(built.record.Event(i)->keyCode, code);
      ASSERT_EQ((built.record.Event(i)->flags & 0x80) != 0, released);
      if (released) {
        held.erase(code);
      } else {
        held.insert(code);
      }
    }
    EXPECT_EQ(built.events, built.used + held.size());
    // Taking the next event too would not have left room for the releases.
    const MacroNode& next = *group.ChildAt(static_cast<int>(built.used));
    const auto code = static_cast<std::uint8_t>(std::stoi(*next.Attribute("code")));
    if (*next.Attribute("state") == "1") {
      held.erase(code);
    } else {
      held.insert(code);
    }
    EXPECT_GT(built.used + 1 + held.size(), KeyAssignmentRecord::kMaxEvents);
  }
}

TEST(SingleKeyRecord, CarriesOnlyTheTargetKey) {
  const auto built = BuildSingleKeyRecord(0x3E);
  KeyAssignmentRecord expected;
  expected.SetKeyCode(0x3E);
  EXPECT_EQ(built.record, expected);
  EXPECT_EQ(BuildSingleKeyRecord(0).record, KeyAssignmentRecord{});
}

TEST(MediaKeyRecord, TakesTheLowByteOfTheFirstCodeOfAValidEntry) {
  const std::vector<settings::KeyCatalogEntry> media = {
      {"Mute", {239, 1}}, {"Nothing", {}}, {"Wide", {0x1E9}}, {"Zero", {256}}};
  EXPECT_EQ(BuildMediaKeyRecord(media, 0).record.keyCode(), 239);
  EXPECT_EQ(BuildMediaKeyRecord(media, 2).record.keyCode(), 0xE9);
  EXPECT_EQ(BuildMediaKeyRecord(media, 0).record.repeatCount(), 0);
  for (const int selection : {1, 3, 4, -1}) {
    EXPECT_EQ(BuildMediaKeyRecord(media, selection).record, KeyAssignmentRecord{}) << selection;
  }
}

TEST(ChordRecord, HoldsTheFirstCodeUntilTheOthersAreReleased) {
  const std::vector<settings::KeyCatalogEntry> functionKeys = {
      {"Copy", {0xE0, 0x06}}, {"Empty", {}}, {"Three", {0xE0, 0xE1, 0x29}}};
  const auto keys = Keys({{0x04, "A"}});
  const auto copy = BuildChordRecord(keys, functionKeys, 0);
  EXPECT_THAT(Bytes(copy.record, 0, 14),
              ElementsAre(0, 0, 0x04, 1, 0xE0, 0x45, 0x06, 0x45, 0x06, 0x81, 0xE0, 0x81, 0, 0));
  const auto three = BuildChordRecord(keys, functionKeys, 2);
  EXPECT_THAT(Bytes(three.record, 4, 16),
              ElementsAre(0xE0, 0x45, 0xE1, 0x45, 0x29, 0x45, 0xE1, 0x81, 0x29, 0x81, 0xE0, 0x81));
  EXPECT_EQ(three.events, 6U);

  EXPECT_EQ(BuildChordRecord(keys, functionKeys, 1).record, KeyAssignmentRecord{});
  EXPECT_EQ(BuildChordRecord(keys, functionKeys, 3).record, KeyAssignmentRecord{});
  EXPECT_EQ(BuildChordRecord({}, functionKeys, 0).record, KeyAssignmentRecord{});
}

TEST(ChordRecord, AChordOfMoreThan41CodesUsesTheFirst41) {
  settings::KeyCatalogEntry many{"Many", {}};
  for (int i = 0; i < 50; ++i) {
    many.codes.push_back(0x04 + i);
  }
  const auto built = BuildChordRecord(Keys({{0x05, "B"}}), {many}, 0);
  EXPECT_TRUE(built.shortened);
  EXPECT_EQ(built.used, 41U);
  EXPECT_EQ(built.available, 50U);
  EXPECT_EQ(built.events, 82U);
  EXPECT_EQ(built.record.Event(40), (KeyEvent{0x04 + 40, kChordPressFlags}));
  EXPECT_EQ(built.record.Event(41), (KeyEvent{0x05, kQuickReleaseFlags}));
  EXPECT_EQ(built.record.Event(81), (KeyEvent{0x04, kQuickReleaseFlags}));
  EXPECT_TRUE(HeldAtEnd(built.record).empty());
}

}  // namespace
}  // namespace keyloom::macro

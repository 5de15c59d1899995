#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ConnectionFixture.h"
#include "connection/KeyboardBackup.h"

namespace keyloom::connection {
namespace {

using Half = protocol::KeySlotTable::Half;
using keymap::ContentKind;
using protocol::AssignmentOutcome;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class KeyboardBackupTest : public ::testing::Test, protected testing::ConnectionFixture {
 protected:
  void Assign(KeyboardConnection& keyboard, int profile, std::uint8_t key,
              const keymap::KeyContent& content) {
    ASSERT_EQ(keyboard.Assign(profile, profile, content, {{key, "key"}}).outcome,
              AssignmentOutcome::kDone);
  }
  void Macro(KeyboardConnection& keyboard, int profile, std::uint8_t key, std::uint8_t repeat) {
    keymap::KeyContent content;
    content.kind = ContentKind::kMacro;
    content.name = "Copy";
    content.repeat = repeat;
    content.events = {{0x04, 0x54}, {0x04, 0xA8}};
    Assign(keyboard, profile, key, content);
  }
  void Remap(KeyboardConnection& keyboard, int profile, std::uint8_t key, std::uint8_t target) {
    keymap::KeyContent content;
    content.kind = ContentKind::kSingleKey;
    content.target = target;
    Assign(keyboard, profile, key, content);
  }
  void Remove(KeyboardConnection& keyboard, int profile, std::uint8_t key) {
    ASSERT_EQ(keyboard.Delete(profile, profile, {{key, "key"}}).outcome, AssignmentOutcome::kDone);
  }

  // Macros on profile 1 in slots 1 and 3 (slot 2 was freed), remaps on profiles 1 and 3, the
  // lighting of two modes, profile 2 active.
  void Configure() {
    const auto keyboard = Connect();
    Macro(*keyboard, 0, 0x3E, 2);
    Macro(*keyboard, 0, 0x3F, 1);
    Macro(*keyboard, 0, 0x40, 3);
    Remove(*keyboard, 0, 0x3F);
    Remap(*keyboard, 0, 0x04, 0x05);
    protocol::LightingTable lighting;
    lighting[3].bytes = {0x05, 0x02, 0x00, 0x02, 0x00};
    lighting[8].bytes = {0x01, 0x2F, 0x45, 0x03, 0x00};
    ASSERT_TRUE(keyboard->SendLighting(8, lighting[8]).ok());
    ASSERT_TRUE(keyboard->SendLighting(3, lighting[3]).ok());
    Remap(*keyboard, 2, 0x06, 0x07);
    ASSERT_TRUE(keyboard->SelectProfile(1).whole);
  }

  static RestoreGoal GoalOf(const KeyboardReading& reading) {
    RestoreGoal goal;
    goal.map = reading.map;
    goal.profiles = {true, true, true};
    goal.lighting = true;
    goal.finalProfile = reading.map.SelectedProfile();
    return goal;
  }
};

TEST_F(KeyboardBackupTest, ARestoreBringsBackEverySlotAndRecordByteForByteAndThenSendsNoKey) {
  Configure();
  const auto before = KeyboardState();
  const auto keyboard = Connect();
  const KeyboardReading reading = ReadKeyboard(*keyboard);
  ASSERT_TRUE(reading.whole);
  // Reading every profile leaves the keyboard as it was, the active profile included.
  EXPECT_EQ(KeyboardState(), before);
  keyboard->RestoreFactory(nullptr);
  ASSERT_NE(KeyboardState(), before);

  trace.clear();
  const RestoreReport report = Restore(*keyboard, GoalOf(reading), nullptr);

  EXPECT_EQ(report.outcome, RestoreReport::Outcome::kDone);
  EXPECT_THAT(report.mismatches, IsEmpty());
  EXPECT_EQ(report.sent, 6U);  // four keys and two lighting records
  EXPECT_EQ(KeyboardState(), before);
  EXPECT_EQ(KeyFramesSent(), 4U);  // two downloads, two remaps

  trace.clear();
  const RestoreReport again = Restore(*keyboard, GoalOf(reading), nullptr);
  EXPECT_EQ(again.outcome, RestoreReport::Outcome::kDone);
  EXPECT_EQ(again.sent, 0U);
  EXPECT_EQ(again.skipped, 6U);
  EXPECT_EQ(KeyFramesSent(), 0U);
  // Each profile read once to plan and once to check; nothing for the keys in between.
  EXPECT_EQ(std::ranges::count(trace, "set 07fb010000000000 ok"), 6);
  EXPECT_EQ(KeyboardState(), before);

  // A goal that names a key's macro otherwise sends nothing either, but the key map takes the
  // name.
  RestoreGoal renamed = GoalOf(reading);
  keymap::SlotEntry entry = *renamed.map.Profile(0).At(Half::kMacro, 0);
  entry.content.name = "Renamed";
  renamed.map.Record(0, Half::kMacro, 0, entry.keyCode, entry.content);
  trace.clear();
  EXPECT_EQ(Restore(*keyboard, renamed, nullptr).outcome, RestoreReport::Outcome::kDone);
  EXPECT_EQ(KeyFramesSent(), 0U);
  EXPECT_EQ(Connect()->KeyMap().Profile(0).At(Half::kMacro, 0)->content.name, "Renamed");
}

// The keyboard holds keys the goal does not, and keys in other slots: they are freed first, so
// that no key ever holds two slots of a half.
TEST_F(KeyboardBackupTest, ARestoreFreesWhatTheGoalDoesNotHoldThenFillsItsSlots) {
  Configure();
  const auto keyboard = Connect();
  const KeyboardReading reading = ReadKeyboard(*keyboard);
  Remove(*keyboard, 0, 0x3E);
  Macro(*keyboard, 0, 0x40, 1);  // the same key, another record
  Macro(*keyboard, 0, 0x41, 1);
  Remap(*keyboard, 0, 0x3E, 0x05);

  std::vector<RestoreStep> steps;
  const RestoreReport report =
      Restore(*keyboard, GoalOf(reading), [&steps](const RestoreProgress& progress) {
        steps.push_back(progress.step);
        EXPECT_EQ(progress.index + 1, steps.size());
        return true;
      });

  EXPECT_EQ(report.outcome, RestoreReport::Outcome::kDone);
  std::vector<std::pair<RestoreStep::Kind, std::uint8_t>> made;
  for (const RestoreStep& step : steps) {
    made.emplace_back(step.kind, step.keyCode);
  }
  EXPECT_THAT(made, ElementsAre(std::pair(RestoreStep::Kind::kRemove, std::uint8_t{0x41}),
                                std::pair(RestoreStep::Kind::kRemove, std::uint8_t{0x3E}),
                                std::pair(RestoreStep::Kind::kAssign, std::uint8_t{0x3E}),
                                std::pair(RestoreStep::Kind::kAssign, std::uint8_t{0x40})));
  const auto held = KeyboardState();
  const auto& macros = held.profiles[0].macros;
  EXPECT_EQ(macros[0].keyCode, 0x3E);
  EXPECT_EQ(macros[1].keyCode, 0);
  EXPECT_EQ(macros[2].keyCode, 0x40);
  EXPECT_EQ(macros[2].record.repeatCount(), 3);
}

// Cancelled before its third step: the first two arrived and are recorded, nothing else is.
TEST_F(KeyboardBackupTest, ACancelledRestoreKeepsAndRecordsWhatArrivedAndNothingElse) {
  Configure();
  const auto keyboard = Connect();
  const KeyboardReading reading = ReadKeyboard(*keyboard);
  keyboard->RestoreFactory(nullptr);

  std::size_t asked = 0;
  const RestoreReport report =
      Restore(*keyboard, GoalOf(reading), [&asked](const RestoreProgress& progress) {
        ++asked;
        EXPECT_EQ(progress.total, 6U);
        return progress.index < 2;
      });

  EXPECT_EQ(report.outcome, RestoreReport::Outcome::kCancelled);
  EXPECT_EQ(asked, 3U);
  EXPECT_EQ(report.sent, 2U);
  ASSERT_EQ(report.notDone.size(), 4U);
  EXPECT_EQ(report.notDone[0].keyCode, 0x04);
  const auto keys = KeyboardState();
  EXPECT_EQ(keys.profiles[0].macros[0].keyCode, 0x3E);
  EXPECT_EQ(keys.profiles[0].macros[2].keyCode, 0x40);
  EXPECT_EQ(keys.profiles[0].remaps[0].keyCode, 0);
  EXPECT_EQ(keys.profiles[2].remaps[0].keyCode, 0);
  EXPECT_EQ(keys.lighting, protocol::LightingTable());

  const auto later = Connect();
  const keymap::KeyMap& map = later->KeyMap();
  EXPECT_EQ(map.Profile(0).At(Half::kMacro, 0)->content.repeat, 2);
  EXPECT_EQ(map.Profile(0).At(Half::kMacro, 2)->content.repeat, 3);
  EXPECT_FALSE(map.Profile(0).At(Half::kRemap, 0).has_value());
  EXPECT_TRUE(map.Profile(2).Empty());
  EXPECT_EQ(map.LightingToStartFrom(), protocol::LightingTable());
}

TEST_F(KeyboardBackupTest, WhatDidNotArriveIsListedAndAnUnreadProfileSendsNothing) {
  Configure();
  const auto reading = ReadKeyboard(*Connect());
  {
    const auto keyboard = Connect();
    keyboard->RestoreFactory(nullptr);
  }
  // The planning reads are sets 1-6 and gets 1-12; the first step's read set 7-8, gets 13-16.
  trace.clear();
  const RestoreReport unread = Restore(*Connect("get:6"), GoalOf(reading), nullptr);

  EXPECT_EQ(unread.outcome, RestoreReport::Outcome::kNotRead);
  EXPECT_EQ(unread.unreadProfile, 1);
  EXPECT_EQ(KeyFramesSent(), 0U);

  // The first step's first record frame is rejected at each of its four tries.
  const RestoreReport report =
      Restore(*Connect("set:9,set:10,set:11,set:12"), GoalOf(reading), nullptr);
  EXPECT_EQ(report.outcome, RestoreReport::Outcome::kNotMatched);
  ASSERT_EQ(report.notDone.size(), 1U);
  EXPECT_EQ(report.notDone[0].keyCode, 0x3E);
  ASSERT_EQ(report.mismatches.size(), 1U);
  EXPECT_EQ(report.mismatches[0].wanted, 0x3E);
  EXPECT_EQ(report.mismatches[0].found, 0);
  EXPECT_EQ(report.mismatches[0].slot, 0U);
}

// Profile 1 holds C remapped in slot 1; the goal frees it for F5 and puts A into slot 2. A lost
// reply of a read-back is no failure when the final read shows the goal; a final read that is not
// whole leaves the profile unchecked, which is not a difference.
TEST_F(KeyboardBackupTest, TheFinalReadsDecideWhetherARestoreIsDone) {
  keymap::KeyContent remap;
  remap.kind = ContentKind::kSingleKey;
  remap.target = 0x05;
  RestoreGoal goal;
  goal.profiles[0] = true;
  goal.finalProfile = 0;
  goal.map.Record(0, Half::kRemap, 0, 0x3E, remap);
  goal.map.Record(0, Half::kRemap, 1, 0x04, remap);
  // Gets 1-4 plan; each of the three steps reads first and reads back after its frame (gets 5-12
  // free slot 1, 13-20 place F5, 21-28 place A); gets 29-32 are the final read.
  const struct {
    const char* failures;
    RestoreReport::Outcome outcome;
  } cases[] = {
      {"", RestoreReport::Outcome::kDone},
      {"get:9", RestoreReport::Outcome::kDone},
      {"get:12", RestoreReport::Outcome::kDone},
      {"get:29", RestoreReport::Outcome::kNotChecked},
      {"get:32", RestoreReport::Outcome::kNotChecked},
      // A placement whose read-back is lost leaves what A does unknown, which the final read
      // names.
      {"get:25", RestoreReport::Outcome::kNotMatched},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failures);
    std::filesystem::remove_all(Folder());
    std::filesystem::create_directories(Folder());
    Remap(*Connect(), 0, 0x06, 0x07);
    trace.clear();
    const RestoreReport report = Restore(*Connect(c.failures), goal, nullptr);
    EXPECT_EQ(report.outcome, c.outcome);
    EXPECT_EQ(report.mismatches.size(), c.outcome == RestoreReport::Outcome::kNotMatched ? 1U : 0U);
    EXPECT_EQ(report.unreadProfile, c.outcome == RestoreReport::Outcome::kNotChecked
                                        ? std::optional<int>(0)
                                        : std::nullopt);
    EXPECT_EQ(KeyboardState().profiles[0].remaps[0].keyCode, 0x3E);
    EXPECT_EQ(KeyboardState().profiles[0].remaps[1].keyCode, 0x04);
  }
}

TEST_F(KeyboardBackupTest, ACopyTakesTheKnownKeysAndLeavesAKeyOfUnknownContentWhereItIs) {
  Configure();
  {
    // Another tool puts Caps Lock into remap slot 2 of profiles 1 and 3.
    sim::SimulatedKeyboard other(Folder() / sim::kStateFileName);
    auto state = other.CurrentState();
    state.profiles[0].remaps[1] = {0x39, 0x3A};
    state.profiles[2].remaps[1] = {0x39, 0x3B};
    other.SetState(state);
  }
  const auto keyboard = Connect();
  const protocol::SlotRead from = keyboard->SelectProfile(0);
  ASSERT_TRUE(from.whole);

  const RestoreReport report =
      Restore(*keyboard, CopyProfileGoal(keyboard->KeyMap().Holding(0, from.slots), 2), nullptr);

  EXPECT_EQ(report.outcome, RestoreReport::Outcome::kDone);
  const auto copied = KeyboardState();
  for (std::size_t slot = 0; slot < 12; ++slot) {
    const auto& original = copied.profiles[0].macros[slot];
    const auto& copy = copied.profiles[2].macros[slot];
    EXPECT_EQ(copy.keyCode, original.keyCode) << slot;
    // The same record, but for the profile number.
    EXPECT_TRUE(std::equal(original.record.bytes().begin() + 1, original.record.bytes().end(),
                           copy.record.bytes().begin() + 1))
        << slot;
  }
  EXPECT_EQ(copied.profiles[2].remaps[0].keyCode, 0x04);
  EXPECT_EQ(copied.profiles[2].remaps[1].targetKeyCode, 0x3B);
  EXPECT_EQ(copied.activeProfile, 2U);
  EXPECT_EQ(copied.lighting, KeyboardState().lighting);
}

}  // namespace
}  // namespace keyloom::connection

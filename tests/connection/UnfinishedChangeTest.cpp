#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "ConnectionFixture.h"
#include "connection/KeyboardBackup.h"
#include "protocol/KeyboardProtocol.h"
#include "storage/DataFolderLock.h"

namespace keyloom::connection {
namespace {

using Half = protocol::KeySlotTable::Half;
using keymap::ContentKind;
using protocol::AssignmentOutcome;
using testing::Macro;
using testing::SingleKey;

class UnfinishedChangeTest : public ::testing::Test, protected testing::ConnectionFixture {
 protected:
  // The data folder's lock cannot be taken, so the key map cannot be saved (or `false`: again).
  void LockUnavailable(bool unavailable) {
    const std::filesystem::path lock = Folder() / storage::kDataFolderLockFileName;
    std::filesystem::remove(lock);
    if (unavailable) {
      std::filesystem::create_directory(lock);
    }
  }

  [[nodiscard]] std::size_t SetsSent() const {
    std::size_t sets = 0;
    for (const std::string& line : trace) {
      sets += line.starts_with("set ") ? 1U : 0U;
    }
    return sets;
  }
};

TEST_F(UnfinishedChangeTest, AChangeTheKeyMapCannotRecordFirstSendsNothing) {
  const std::function<void(KeyboardConnection&)> changes[] = {
      [](KeyboardConnection& k) { EXPECT_FALSE(k.SelectProfile(1).whole); },
      [](KeyboardConnection& k) { EXPECT_EQ(k.SendLighting(3, {}).sets(), 0U); },
      [](KeyboardConnection& k) {
        EXPECT_EQ(k.Assign(0, 0, Macro("Copy", 2, 0x06), {{0x04, "A"}}).outcome,
                  AssignmentOutcome::kNotRecorded);
      },
      [](KeyboardConnection& k) {
        EXPECT_EQ(k.Delete(0, 0, {{0x04, "A"}}).outcome, AssignmentOutcome::kNotRecorded);
      },
      [](KeyboardConnection& k) {
        EXPECT_FALSE(k.PlaceInSlot(0, Half::kRemap, 2, 0x05, SingleKey(0x06)).sent);
      },
      [](KeyboardConnection& k) {
        bool reset = false;
        k.RestoreFactory([&reset] { reset = true; });
        EXPECT_FALSE(reset);
      },
  };
  const auto keyboard = Connect();
  ASSERT_EQ(keyboard->Assign(0, 0, Macro("Copy", 1, 0x06), {{0x04, "A"}}).outcome,
            AssignmentOutcome::kDone);
  const sim::SimulatedKeyboardState before = KeyboardState();
  const keymap::KeyMap known = keyboard->KeyMap();
  for (std::size_t i = 0; i < std::size(changes); ++i) {
    SCOPED_TRACE(i);
    LockUnavailable(true);
    trace.clear();
    changes[i](*keyboard);
    EXPECT_EQ(SetsSent(), 0U);
    ASSERT_TRUE(keyboard->LastRecordFailure());
    EXPECT_TRUE(keyboard->LastRecordFailure()->nothingSent);
    EXPECT_EQ(keyboard->KeyMap(), known);
    EXPECT_EQ(KeyboardState(), before);
    LockUnavailable(false);
    EXPECT_TRUE(keyboard->SelectProfile(0).whole);
    EXPECT_FALSE(keyboard->LastRecordFailure());
  }
}

TEST_F(UnfinishedChangeTest, AChangeWhoseEndCannotBeRecordedStaysUnfinishedInTheFile) {
  {
    const auto keyboard = Connect();
    keyboard->RestoreFactory([this] { LockUnavailable(true); });
    ASSERT_TRUE(keyboard->LastRecordFailure());
    EXPECT_FALSE(keyboard->LastRecordFailure()->nothingSent);
    LockUnavailable(false);
  }
  const auto next = Connect();
  EXPECT_FALSE(next->KeyMap().LedMode());
  EXPECT_TRUE(next->KeyMap().LedModeUnfinished());
  EXPECT_EQ(next->KeyMap().UnfinishedSelect(), 0);
}

TEST_F(UnfinishedChangeTest, OnlyTheKeysAndHalvesAChangeReachedLoseWhatTheMapKnew) {
  const auto keyboard = Connect();
  ASSERT_EQ(keyboard->Assign(0, 0, Macro("Copy", 1, 0x06), {{0x04, "A"}}).outcome,
            AssignmentOutcome::kDone);
  ASSERT_EQ(keyboard->Assign(0, 0, SingleKey(0x07), {{0x04, "A"}}).outcome,
            AssignmentOutcome::kDone);
  // A key in both halves loses only its macro; its remap stays as the map knew it.
  ASSERT_EQ(keyboard->Delete(0, 0, {{0x04, "A"}}).outcome, AssignmentOutcome::kDone);
  const protocol::SlotRead read = keyboard->SelectProfile(0);
  EXPECT_EQ(keyboard->KeyMap().Assignments(0, read.slots),
            (std::vector<keymap::SlotAssignment>{{Half::kRemap, 0, 0x04, SingleKey(0x07), false}}));
  EXPECT_TRUE(keyboard->KeyMap().UnfinishedKeys().empty());

  // The read after a download is lost: the key is there, but with which record is not known.
  const auto failing = Connect("get:8");
  EXPECT_EQ(failing->Assign(0, 0, Macro("Copy", 3, 0x06), {{0x05, "B"}}).outcome,
            AssignmentOutcome::kUnconfirmed);
  const protocol::SlotRead after = failing->SelectProfile(0);
  EXPECT_EQ(failing->KeyMap().AssignmentsOfKey(0, after.slots, 0x05),
            (std::vector<keymap::SlotAssignment>{{Half::kMacro, 0, 0x05, {}, true}}));
}

TEST_F(UnfinishedChangeTest, ARestoreStopsAtTheFirstChangeTheKeyMapCannotRecord) {
  const auto keyboard = Connect();
  RestoreGoal goal;
  goal.profiles[0] = true;
  keymap::ProfileMap profile;
  for (std::size_t slot = 0; slot < 3; ++slot) {
    profile.Set(Half::kRemap, slot,
                keymap::SlotEntry{static_cast<std::uint8_t>(0x04 + slot), SingleKey(0x10)});
  }
  goal.map.SetProfile(0, profile);
  const RestoreReport report = Restore(*keyboard, goal, [this](const RestoreProgress& step) {
    LockUnavailable(step.index == 1);
    return true;
  });
  EXPECT_EQ(report.outcome, RestoreReport::Outcome::kNotRecorded);
  EXPECT_EQ(report.sent, 1U);
  EXPECT_EQ(report.notDone.size(), 2U);
  EXPECT_EQ(KeyboardState().profiles[0].remaps[1].keyCode, 0);
}

}  // namespace
}  // namespace keyloom::connection

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ConnectionFixture.h"
#include "keymap/KeyMapFile.h"
#include "protocol/KeyboardProtocol.h"

namespace keyloom::connection {
namespace {

using Half = protocol::KeySlotTable::Half;
using keymap::ContentKind;
using protocol::AssignmentOutcome;
using testing::Macro;
using testing::SingleKey;

protocol::AssignmentResult Assign(KeyboardConnection& keyboard, int profile, std::uint8_t key,
                                  const keymap::KeyContent& content) {
  return keyboard.Assign(profile, profile, content, {{key, "key"}});
}

protocol::AssignmentResult Remove(KeyboardConnection& keyboard, int profile, std::uint8_t key) {
  return keyboard.Delete(profile, profile, {{key, "key"}});
}

// What the key map shows for `key` on `profile` after a fresh read of it.
std::vector<keymap::SlotAssignment> Shown(KeyboardConnection& keyboard, int profile,
                                          std::uint8_t key) {
  const protocol::SlotRead read = keyboard.SelectProfile(profile);
  EXPECT_TRUE(read.whole);
  return keyboard.KeyMap().AssignmentsOfKey(profile, read.slots, key);
}

class KeyMapRecordingTest : public ::testing::Test, protected testing::ConnectionFixture {};

// A holds the macro "Old" in macro slot 1 of profile 2, as recorded; then "New" is assigned with
// a transfer failing. The read before the change is set 2 and gets 1-4, the record frames sets
// 3-30 (a rejected frame's tries counted each), the read after it set 31 and gets 5-8.
TEST_F(KeyMapRecordingTest, AnAssignmentIsRecordedOnlyWhenTheKeyboardConfirmedIt) {
  struct Case {
    const char* failures;
    AssignmentOutcome outcome;
    std::optional<const char*> recorded;  // the name A's macro is known by; none: unknown
  };
  const Case cases[] = {
      {"", AssignmentOutcome::kDone, "New"},
      {"get:2", AssignmentOutcome::kSlotsUnknown, "Old"},
      {"get:8", AssignmentOutcome::kUnconfirmed, std::nullopt},
      {"set:4,set:5,set:6,set:7", AssignmentOutcome::kRejected, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failures);
    {
      const auto keyboard = Connect();
      Remove(*keyboard, 1, 0x04);
      ASSERT_EQ(Assign(*keyboard, 1, 0x04, Macro("Old", 1, 0x05)).outcome,
                AssignmentOutcome::kDone);
    }
    const auto failing = Connect(c.failures);
    EXPECT_EQ(Assign(*failing, 1, 0x04, Macro("New", 2, 0x06)).outcome, c.outcome);

    const auto later = Connect();
    const auto shown = Shown(*later, 1, 0x04);
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0].half, Half::kMacro);
    if (c.recorded) {
      EXPECT_EQ(shown[0].content.kind, ContentKind::kMacro);
      EXPECT_EQ(shown[0].content.name, *c.recorded);
    } else {
      EXPECT_EQ(shown[0].content.kind, ContentKind::kUnknown);
    }
  }
}

// Each key is recorded in the slot its assignment went to once the keyboard confirmed it, even
// when a later key found no room. The other macro slots of profile 1 hold keys the map does not
// know.
TEST_F(KeyMapRecordingTest, EachConfirmedKeyIsRecordedInTheSlotItWentTo) {
  struct Case {
    const char* what;
    std::vector<std::size_t> free;
    AssignmentOutcome outcome;
    std::vector<std::pair<std::size_t, std::uint8_t>> recorded;  // slot, key
  };
  const Case cases[] = {
      {"a free slot for each key", {1, 4}, AssignmentOutcome::kDone, {{1, 0x04}, {4, 0x05}}},
      {"no room for the second key", {4}, AssignmentOutcome::kNoSpace, {{4, 0x04}}},
  };
  const keymap::KeyContent copy = Macro("Copy", 1, 0x06);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto keyboard = Connect();
    Remove(*keyboard, 0, 0x04);
    {
      sim::SimulatedKeyboard other(Folder() / sim::kStateFileName);
      auto state = other.CurrentState();
      for (std::size_t slot = 0; slot < protocol::KeySlotTable::kSlotsPerHalf; ++slot) {
        const bool free = std::ranges::find(c.free, slot) != c.free.end();
        state.profiles[0].macros[slot] = {};
        state.profiles[0].macros[slot].keyCode = free ? 0 : static_cast<std::uint8_t>(0x10 + slot);
      }
      other.SetState(state);
    }
    EXPECT_EQ(keyboard->Assign(0, 0, copy, {{0x04, "A"}, {0x05, "B"}}).outcome, c.outcome);

    for (std::size_t slot = 0; slot < protocol::KeySlotTable::kSlotsPerHalf; ++slot) {
      const auto recorded =
          std::ranges::find(c.recorded, slot, [](const auto& r) { return r.first; });
      const auto& entry = keyboard->KeyMap().Profile(0).At(Half::kMacro, slot);
      if (recorded == c.recorded.end()) {
        EXPECT_FALSE(entry.has_value()) << slot;
      } else {
        EXPECT_EQ(entry, (keymap::SlotEntry{recorded->second, copy})) << slot;
      }
    }
  }
}

// A remap into a profile other than the one read: which of its remap slots the keyboard changed
// is not known, so the map forgets that profile's remaps, and only them.
TEST_F(KeyMapRecordingTest, ARemapIntoAnotherProfileForgetsThatProfilesRemaps) {
  const auto keyboard = Connect();
  ASSERT_EQ(Assign(*keyboard, 1, 0x3E, Macro("Copy", 1, 0x05)).outcome, AssignmentOutcome::kDone);
  ASSERT_EQ(Assign(*keyboard, 1, 0x04, SingleKey(0x05)).outcome, AssignmentOutcome::kDone);
  ASSERT_EQ(Assign(*keyboard, 0, 0x04, SingleKey(0x06)).outcome, AssignmentOutcome::kDone);

  const auto result = keyboard->Assign(0, 1, SingleKey(0x07), {{0x06, "C"}});

  ASSERT_EQ(result.placements.size(), 1U);
  EXPECT_EQ(result.placements[0].profileIndex, 1);
  const keymap::KeyMap& map = keyboard->KeyMap();
  for (std::size_t slot = 0; slot < protocol::KeySlotTable::kSlotsPerHalf; ++slot) {
    EXPECT_FALSE(map.Profile(1).At(Half::kRemap, slot).has_value()) << slot;
  }
  EXPECT_EQ(map.Profile(1).At(Half::kMacro, 0)->keyCode, 0x3E);
  EXPECT_EQ(map.Profile(0).At(Half::kRemap, 0), (keymap::SlotEntry{0x04, SingleKey(0x06)}));
}

TEST_F(KeyMapRecordingTest, EverySlotReadForgetsWhatLeftAndShowsWhatCameUnknown) {
  const auto keyboard = Connect();
  ASSERT_EQ(Assign(*keyboard, 0, 0x04, Macro("", 1, 0x05)).outcome, AssignmentOutcome::kDone);
  ASSERT_EQ(Assign(*keyboard, 0, 0x06, SingleKey(0x05)).outcome, AssignmentOutcome::kDone);
  // Another tool frees A's macro slot and puts Caps Lock into remap slot 2 behind the map's back.
  {
    sim::SimulatedKeyboard other(Folder() / sim::kStateFileName);
    auto state = other.CurrentState();
    state.profiles[0].macros[0] = {};
    state.profiles[0].remaps[1] = {0x39, 0x3A};
    other.SetState(state);
  }

  const protocol::SlotRead read = keyboard->ReadSlots();

  ASSERT_TRUE(read.whole);
  EXPECT_FALSE(keyboard->KeyMap().Profile(0).At(Half::kMacro, 0).has_value());
  const auto shown = keyboard->KeyMap().Assignments(0, read.slots);
  ASSERT_EQ(shown.size(), 2U);
  EXPECT_EQ(shown[0].keyCode, 0x06);
  EXPECT_EQ(shown[0].content.kind, ContentKind::kSingleKey);
  EXPECT_EQ(shown[1].keyCode, 0x39);
  EXPECT_EQ(shown[1].content.kind, ContentKind::kUnknown);
  // A macro assigned without a name is known by what it plays.
  ASSERT_EQ(Assign(*keyboard, 0, 0x04, Macro("", 3, 0x05)).outcome, AssignmentOutcome::kDone);
  const auto unlabelled = Shown(*keyboard, 0, 0x04);
  ASSERT_EQ(unlabelled.size(), 1U);
  EXPECT_EQ(unlabelled[0].content.kind, ContentKind::kMacro);
  EXPECT_EQ(unlabelled[0].content.repeat, 3);
  EXPECT_EQ(unlabelled[0].content.name, "");
}

TEST_F(KeyMapRecordingTest, ProgramsShareTheMapAndADeletedMapKnowsNothing) {
  const auto window = Connect();
  const auto tool = Connect();
  ASSERT_EQ(Assign(*tool, 2, 0x3E, Macro("Copy", 2, 0x05)).outcome, AssignmentOutcome::kDone);

  auto shown = Shown(*window, 2, 0x3E);
  ASSERT_EQ(shown.size(), 1U);
  EXPECT_EQ(shown[0].content.name, "Copy");
  EXPECT_EQ(window->KeyMap().SelectedProfile(), 2);

  // A second keyboard model keeps a map of its own.
  const auto otherModel = Connect({}, 0x002B);
  EXPECT_TRUE(otherModel->KeyMap().Profile(2).Empty());

  std::filesystem::remove(Folder() / keymap::KeyMapFileName(window->Model()));
  window->RefreshKeyMap();
  shown = Shown(*window, 2, 0x3E);
  ASSERT_EQ(shown.size(), 1U);
  EXPECT_EQ(shown[0].content.kind, ContentKind::kUnknown);
}

TEST_F(KeyMapRecordingTest, TheLightingSentAndAFactoryRestoreAreRecorded) {
  protocol::LightingTable lighting;
  lighting[3].bytes = {0x05, 0x02, 0x00, 0x02, 0x00};
  {
    const auto keyboard = Connect();
    ASSERT_EQ(Assign(*keyboard, 1, 0x04, Macro("", 1, 0x05)).outcome, AssignmentOutcome::kDone);
    EXPECT_TRUE(keyboard->SendLighting(3, lighting[3]).ok());
    EXPECT_EQ(keyboard->KeyMap().Lighting(3), lighting[3]);
    EXPECT_EQ(keyboard->KeyMap().LedMode(), 3);
  }
  {
    const auto failing = Connect("set:1");
    EXPECT_FALSE(failing->SendLighting(3, lighting[3]).ok());
    EXPECT_FALSE(failing->KeyMap().Lighting(3).has_value());
    EXPECT_FALSE(failing->KeyMap().LedMode().has_value());
  }
  const auto keyboard = Connect();
  keyboard->RestoreFactory(nullptr);
  const keymap::KeyMap& map = keyboard->KeyMap();
  EXPECT_TRUE(map.Profile(1).Empty());
  EXPECT_EQ(map.SelectedProfile(), 0);
  EXPECT_EQ(map.LedMode(), 0);
  EXPECT_EQ(map.LightingToStartFrom(), protocol::LightingTable());
  EXPECT_EQ(map.Lighting(3), protocol::LightingTable::DefaultRecord(3));
}

}  // namespace
}  // namespace keyloom::connection

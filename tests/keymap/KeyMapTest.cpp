#include <cstdint>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "keymap/KeyContent.h"
#include "keymap/KeyMap.h"
#include "protocol/KeyEvent.h"
#include "protocol/LightingTable.h"

namespace keyloom::keymap {
namespace {

using Half = protocol::KeySlotTable::Half;
using protocol::KeySlotTable;

KeyContent Macro(const char* name, std::uint8_t repeat) {
  KeyContent content;
  content.kind = ContentKind::kMacro;
  content.name = name;
  content.repeat = repeat;
  content.events = {{0x04, 0x54}, {0x04, 0xA8}};
  return content;
}

KeyContent Remap(std::uint8_t target) {
  KeyContent content;
  content.kind = ContentKind::kSingleKey;
  content.target = target;
  return content;
}

KeySlotTable Table(std::vector<std::pair<std::size_t, std::uint8_t>> macros,
                   std::vector<std::pair<std::size_t, std::uint8_t>> remaps) {
  KeySlotTable table;
  for (const auto& [slot, key] : macros) {
    table.SetSlot(Half::kMacro, slot, key);
  }
  for (const auto& [slot, key] : remaps) {
    table.SetSlot(Half::kRemap, slot, key);
  }
  return table;
}

// The map knows F5's macro in macro slot 0 and A's remap in remap slot 2 of profile 1; each case
// is one slot read of that profile.
TEST(KeyMap, ASlotReadForgetsKeysThatLeftTheirSlotAndInventsNothing) {
  struct Case {
    const char* name;
    KeySlotTable read;
    bool macroKept;
    bool remapKept;
    std::vector<SlotAssignment> shown;
  };
  const Case cases[] = {
      {"both still there",
       Table({{0, 0x3E}}, {{2, 0x04}}),
       true,
       true,
       {{Half::kMacro, 0, 0x3E, Macro("Copy", 2)}, {Half::kRemap, 2, 0x04, Remap(0x05)}}},
      {"both gone", KeySlotTable(), false, false, {}},
      {"another key in the macro's slot",
       Table({{0, 0x3F}}, {{2, 0x04}}),
       false,
       true,
       {{Half::kMacro, 0, 0x3F, KeyContent{}}, {Half::kRemap, 2, 0x04, Remap(0x05)}}},
      {"the macro's key moved to another slot",
       Table({{1, 0x3E}}, {{2, 0x04}}),
       false,
       true,
       {{Half::kMacro, 1, 0x3E, KeyContent{}}, {Half::kRemap, 2, 0x04, Remap(0x05)}}},
      {"the remap's key now in the macro half",
       Table({{2, 0x04}}, {}),
       false,
       false,
       {{Half::kMacro, 2, 0x04, KeyContent{}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KeyMap map;
    map.Record(1, Half::kMacro, 0, 0x3E, Macro("Copy", 2));
    map.Record(1, Half::kRemap, 2, 0x04, Remap(0x05));
    map.Record(0, Half::kMacro, 0, 0x3E, Macro("Other", 1));

    map.Reconcile(1, c.read);

    EXPECT_EQ(map.Profile(1).At(Half::kMacro, 0).has_value(), c.macroKept);
    EXPECT_EQ(map.Profile(1).At(Half::kRemap, 2).has_value(), c.remapKept);
    EXPECT_EQ(map.Assignments(1, c.read), c.shown);
    // Another profile's entries are not this read's business.
    EXPECT_TRUE(map.Profile(0).At(Half::kMacro, 0).has_value());
  }
}

TEST(KeyMap, AKeyInBothHalvesHasBothAssignments) {
  KeyMap map;
  map.Record(0, Half::kMacro, 3, 0x04, Macro("Copy", 1));
  const KeySlotTable read = Table({{3, 0x04}, {4, 0x05}}, {{0, 0x04}});

  EXPECT_EQ(map.AssignmentsOfKey(0, read, 0x04),
            (std::vector<SlotAssignment>{{Half::kMacro, 3, 0x04, Macro("Copy", 1)},
                                         {Half::kRemap, 0, 0x04, KeyContent{}}}));
  EXPECT_THAT(map.AssignmentsOfKey(0, read, 0x06), ::testing::IsEmpty());
  EXPECT_THAT(map.AssignmentsOfKey(0, read, 0x00), ::testing::IsEmpty());
  // Without a profile the keyboard is known to show, nothing is known of any key.
  EXPECT_EQ(map.Assignments(-1, read)[0].content.kind, ContentKind::kUnknown);
}

TEST(KeyMap, FactoryRestoreForgetsEveryAssignmentAndKnowsTheDefaultLighting) {
  KeyMap map;
  map.Record(2, Half::kRemap, 0, 0x04, Remap(0x05));
  map.ProfileSelected(2);
  protocol::LightingRecord red{{0x05, 0x02, 0x00, 0x02, 0x00}};
  map.LightingSent(3, red);
  EXPECT_FALSE(map.Lighting(4).has_value());
  EXPECT_EQ(map.LedMode(), 3);
  EXPECT_EQ(map.LightingToStartFrom()[3], red);
  EXPECT_EQ(map.LightingToStartFrom()[4], protocol::LightingTable::DefaultRecord(4));

  map.FactoryRestored();

  EXPECT_TRUE(map.Profile(2).Empty());
  EXPECT_EQ(map.SelectedProfile(), 0);
  EXPECT_EQ(map.LedMode(), 0);
  EXPECT_EQ(map.LightingToStartFrom(), protocol::LightingTable());
  for (int mode = 0; mode < protocol::LightingTable::kModeCount; ++mode) {
    EXPECT_EQ(map.Lighting(mode), protocol::LightingTable::DefaultRecord(mode)) << mode;
  }

  map.LightingLost(8);
  EXPECT_FALSE(map.Lighting(8).has_value());
  EXPECT_FALSE(map.LedMode().has_value());
}

// Each kind's record: a macro or chord its repeat count and events (an all-zero event between two
// kept), a key or media key its target, unknown content nothing.
// A change recorded before it is sent makes what it touches unknown until something shows how it
// ended; what it does not touch stays known.
TEST(KeyMap, AnUnfinishedChangeIsUnknownUntilSettled) {
  KeyMap map;
  map.Record(0, Half::kMacro, 0, 0x04, Macro("Copy", 2));
  map.Record(0, Half::kRemap, 0, 0x04, Remap(0x05));
  map.LightingSent(3, protocol::LightingTable::DefaultRecord(3));
  map.ProfileSelected(0);
  map.Begin({.select = 1,
             .keys = {{0, Half::kMacro, 0x04, Macro("Hello", 5)}, {0, Half::kMacro, 0x06, {}}},
             .lighting = {{3, protocol::LightingTable::DefaultRecord(4)}}});

  const KeySlotTable held = Table({{0, 0x04}, {1, 0x06}}, {{0, 0x04}});
  EXPECT_THAT(map.Assignments(0, held),
              ::testing::ElementsAre(SlotAssignment{Half::kMacro, 0, 0x04, {}, true},
                                     SlotAssignment{Half::kMacro, 1, 0x06, {}, true},
                                     SlotAssignment{Half::kRemap, 0, 0x04, Remap(0x05), false}));
  EXPECT_FALSE(map.SelectedProfile());
  EXPECT_EQ(map.UnfinishedSelect(), 1);
  EXPECT_FALSE(map.Lighting(3));
  EXPECT_TRUE(map.LedModeUnfinished());
  EXPECT_EQ(map.UnfinishedLighting(3), protocol::LightingTable::DefaultRecord(4));

  // A read that shows a key gone from its half settles it; one that shows it there does not.
  map.Reconcile(0, Table({{0, 0x04}}, {{0, 0x04}}));
  EXPECT_TRUE(map.Unfinished(0, Half::kMacro, 0x04));
  EXPECT_FALSE(map.Unfinished(0, Half::kMacro, 0x06));
  map.Record(0, Half::kMacro, 0, 0x04, Macro("Hello", 5));
  map.ProfileSelected(1);
  map.LightingSent(3, protocol::LightingTable::DefaultRecord(4));
  EXPECT_TRUE(map.UnfinishedKeys().empty());
  EXPECT_FALSE(map.UnfinishedSelect());
  EXPECT_FALSE(map.LedModeUnfinished());
  EXPECT_FALSE(map.UnfinishedLighting(3));

  map.Begin({.select = 2, .keys = {{1, Half::kRemap, 0x07, Remap(0x08)}}, .lighting = {}});
  map.FactoryRestored();
  EXPECT_TRUE(map.UnfinishedKeys().empty());
  EXPECT_FALSE(map.UnfinishedSelect());
}

TEST(KeyContent, TheRecordCarriesWhatTheKindSends) {
  KeyContent macro;
  macro.kind = ContentKind::kMacro;
  macro.repeat = 3;
  macro.events = {{0x04, 0x54}, {}, {0x04, 0xA8}};
  KeyContent chord = macro;
  chord.kind = ContentKind::kChord;
  chord.codes = {224, 6};
  protocol::KeyAssignmentRecord macroRecord;
  macroRecord.SetRepeatCount(3);
  macroRecord.SetEvent(0, {0x04, 0x54});
  macroRecord.SetEvent(2, {0x04, 0xA8});

  KeyContent media;
  media.kind = ContentKind::kMediaKey;
  media.name = "Mute";
  media.target = 0xEF;
  media.repeat = 3;  // not a remap's
  protocol::KeyAssignmentRecord remapRecord;
  remapRecord.SetKeyCode(0xEF);

  KeyContent unknown = media;
  unknown.kind = ContentKind::kUnknown;

  EXPECT_EQ(macro.Record(), macroRecord);
  EXPECT_EQ(chord.Record(), macroRecord);
  EXPECT_EQ(media.Record(), remapRecord);
  EXPECT_EQ(unknown.Record(), protocol::KeyAssignmentRecord());
}

TEST(KeyContent, TheSameOnTheKeyboardIsTheSameRecordWhateverTheNames) {
  const KeyContent copy = Macro("Copy", 2);
  KeyContent renamed = copy;
  renamed.name = "Renamed";
  KeyContent chord = copy;
  chord.kind = ContentKind::kChord;
  KeyContent moreRepeats = copy;
  moreRepeats.repeat = 3;
  KeyContent media = Remap(0xEF);
  media.kind = ContentKind::kMediaKey;

  EXPECT_TRUE(copy.SameOnKeyboard(renamed));
  EXPECT_TRUE(copy.SameOnKeyboard(chord));
  EXPECT_FALSE(copy.SameOnKeyboard(moreRepeats));
  EXPECT_TRUE(Remap(0xEF).SameOnKeyboard(media));
  EXPECT_FALSE(Remap(0xEF).SameOnKeyboard(Remap(0xEE)));
  EXPECT_FALSE(KeyContent{}.SameOnKeyboard(KeyContent{}));
}

}  // namespace
}  // namespace keyloom::keymap

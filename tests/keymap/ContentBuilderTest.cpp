#include <cstdint>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "keymap/ContentBuilder.h"
#include "macro/MacroLibrary.h"

namespace keyloom::keymap {
namespace {

using protocol::KeyAssignmentRecord;
using protocol::KeyEvent;
using ::testing::ElementsAre;

using macro::MacroLibrary;
using macro::MacroNode;

// The record the content gives a key; all zero when nothing was chosen.
KeyAssignmentRecord RecordOf(const BuiltContent& built) {
  return built.content ? built.content->Record() : KeyAssignmentRecord{};
}

std::vector<std::uint8_t> Bytes(const BuiltContent& built, std::size_t from, std::size_t to) {
  const KeyAssignmentRecord record = RecordOf(built);
  return {record.bytes().begin() + static_cast<std::ptrdiff_t>(from),
          record.bytes().begin() + static_cast<std::ptrdiff_t>(to)};
}

class MacroContentTest : public ::testing::Test {
 protected:
  MacroNode& NewGroup() { return *library_.root().InsertChild(MacroNode::kLast, {{"name", "g"}}); }
  static void Add(MacroNode& group, std::string code, std::string state, std::string delay) {
    group.InsertChild(MacroNode::kLast,
                      {{"code", code}, {"name", ""}, {"state", state}, {"delay", delay}});
  }

  MacroLibrary library_;
};

TEST_F(MacroContentTest, NamesTheGroupAndCarriesRepeatAndEventsWithTheirDelays) {
  MacroNode& group = NewGroup();
  Add(group, "4", "0", "2000");
  Add(group, "4", "1", "400");
  const auto built = MacroContent(&group, 3);
  ASSERT_TRUE(built.content);
  EXPECT_EQ(built.content->kind, ContentKind::kMacro);
  EXPECT_EQ(built.content->name, "g");
  // Bytes 0-2 (profile, slot, key) are the assignment's to fill in.
  EXPECT_THAT(Bytes(built, 0, 9), ElementsAre(0, 0, 0, 3, 0x04, 0x54, 0x04, 0xA8, 0));
  EXPECT_FALSE(built.shortened);
  EXPECT_EQ(built.content->events.size(), 2U);
}

TEST_F(MacroContentTest, ReadsEventTextsTolerantly) {
  MacroNode& group = NewGroup();
  Add(group, "260", "2", "0");                           // low 8 bits; "replace" is a release
  Add(group, "99999999999", "0", "50000");               // saturates to 0x7fffffff: low byte 0xff
  Add(group, "-1", "-3", "abc");                         // not a number: 0 ms, counted as 10 ms
  Add(group, " 7 apples", "0 ", "12ms");                 // leading blanks, trailing text
  group.InsertChild(MacroNode::kLast, {{"code", "9"}});  // missing attributes read as "0"
  EXPECT_THAT(Bytes(MacroContent(&group, 1), 4, 16),
              ElementsAre(0x04, 0x81, 0xFF, 0x7F, 0xFF, 0x81, 0x07, 0x01, 0x09, 0x01, 0, 0));
}

TEST_F(MacroContentTest, TheLowByteOfRepeatIsUsedAndNoGroupChoosesNothing) {
  MacroNode& group = NewGroup();
  EXPECT_EQ(RecordOf(MacroContent(&group, 300)).repeatCount(), 44);
  // A macro that plays never names nothing for the keyboard.
  EXPECT_EQ(RecordOf(MacroContent(&group, 256)).repeatCount(), 0);
  EXPECT_EQ(RecordOf(MacroContent(&group, 0)).repeatCount(), 0);
  // A group without events is still a macro, with its repeat count.
  const auto empty = MacroContent(&group, 2);
  ASSERT_TRUE(empty.content);
  EXPECT_THAT(Bytes(empty, 0, 6), ElementsAre(0, 0, 0, 2, 0, 0));
  EXPECT_FALSE(MacroContent(nullptr, 1).content);
}

TEST_F(MacroContentTest, EightyTwoEventsFitWhole) {
  MacroNode& group = NewGroup();
  for (int i = 0; i < 82; ++i) {
    Add(group, "4", "0", "0");  // 82 presses, none released
  }
  const auto built = MacroContent(&group, 1);
  EXPECT_FALSE(built.shortened);
  ASSERT_EQ(built.content->events.size(), 82U);
  EXPECT_EQ(RecordOf(built).Event(81), (KeyEvent{0x04, 0x01}));
}

TEST_F(MacroContentTest, ALongGroupIsCutWhereItsHeldKeysCanStillBeReleased) {
  // Ctrl goes down, then A is pressed and released 41 times: 83 events.
  MacroNode& group = NewGroup();
  Add(group, "224", "0", "20");
  for (int i = 0; i < 41; ++i) {
    Add(group, "4", "0", "30");
    Add(group, "4", "1", "40");
  }
  const auto built = MacroContent(&group, 1);
  EXPECT_TRUE(built.shortened);
  EXPECT_EQ(built.available, 83U);
  EXPECT_EQ(built.used, 81U);  // the 82nd event, a press of A, would leave no room for both
  EXPECT_EQ(built.content->events.size(), 82U);
  EXPECT_EQ(RecordOf(built).Event(80), (KeyEvent{0x04, 0x84}));
  EXPECT_EQ(RecordOf(built).Event(81), (KeyEvent{0xE0, kQuickReleaseFlags}));
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

TEST_F(MacroContentTest, ShortenedRecordsNeverLeaveAKeyHeldAndKeepAsMuchAsFits) {
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
    const auto built = MacroContent(&group, 1);
    ASSERT_TRUE(built.shortened);
    ASSERT_LE(built.content->events.size(), KeyAssignmentRecord::kMaxEvents);
    const KeyAssignmentRecord record = RecordOf(built);
    EXPECT_TRUE(HeldAtEnd(record).empty());

    // The group's events come first, in order and unchanged.
    std::set<std::uint8_t> held;
    for (std::size_t i = 0; i < built.used; ++i) {
      const MacroNode& event = *group.ChildAt(static_cast<int>(i));
      const auto code = static_cast<std::uint8_t>(std::stoi(*event.Attribute("code")));
      const bool released = *event.Attribute("state") == "1";
      ASSERT_EQ(record.Event(i)->keyCode, code);
      ASSERT_EQ((record.Event(i)->flags & 0x80) != 0, released);
      if (released) {
        held.erase(code);
      } else {
        held.insert(code);
      }
    }
    EXPECT_EQ(built.content->events.size(), built.used + held.size());
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

TEST(KeyContent, ASingleKeyOrMediaKeySendsItsCodeAndNothingChosenGivesNothing) {
  const std::vector<settings::KeyCatalogEntry> media = {
      {"Mute", {239, 1}}, {"Nothing", {}}, {"Wide", {0x1E9}}, {"Zero", {256}}};
  struct Case {
    const char* what;
    BuiltContent built;
    std::optional<ContentKind> kind;  // none: nothing chosen
    std::string name;
    std::uint8_t target;
  };
  const Case cases[] = {
      {"single key", SingleKeyContent(0x3E), ContentKind::kSingleKey, "", 0x3E},
      {"no key captured", SingleKeyContent(0), std::nullopt, "", 0},
      {"media key", MediaKeyContent(media, 0), ContentKind::kMediaKey, "Mute", 239},
      {"low 8 bits of the first code", MediaKeyContent(media, 2), ContentKind::kMediaKey, "Wide",
       0xE9},
      {"entry without codes", MediaKeyContent(media, 1), std::nullopt, "", 0},
      {"code whose low 8 bits are 0", MediaKeyContent(media, 3), std::nullopt, "", 0},
      {"past the catalogue", MediaKeyContent(media, 4), std::nullopt, "", 0},
      {"no entry", MediaKeyContent(media, -1), std::nullopt, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(c.built.content.has_value(), c.kind.has_value());
    KeyAssignmentRecord expected;
    if (c.kind) {
      EXPECT_EQ(c.built.content->kind, *c.kind);
      EXPECT_EQ(c.built.content->name, c.name);
      expected.SetKeyCode(c.target);
    }
    EXPECT_EQ(RecordOf(c.built), expected);
  }
}

TEST(ChordContent, HoldsTheFirstCodeUntilTheOthersAreReleased) {
  const std::vector<settings::KeyCatalogEntry> functionKeys = {
      {"Copy", {0xE0, 0x06}}, {"Empty", {}}, {"Three", {0xE0, 0xE1, 0x29}}};
  const auto copy = ChordContent(functionKeys, 0);
  ASSERT_TRUE(copy.content);
  EXPECT_EQ(copy.content->kind, ContentKind::kChord);
  EXPECT_EQ(copy.content->name, "Copy");
  EXPECT_EQ(copy.content->codes, functionKeys[0].codes);
  EXPECT_THAT(Bytes(copy, 0, 14),
              ElementsAre(0, 0, 0, 1, 0xE0, 0x45, 0x06, 0x45, 0x06, 0x81, 0xE0, 0x81, 0, 0));
  const auto three = ChordContent(functionKeys, 2);
  EXPECT_THAT(Bytes(three, 4, 16),
              ElementsAre(0xE0, 0x45, 0xE1, 0x45, 0x29, 0x45, 0xE1, 0x81, 0x29, 0x81, 0xE0, 0x81));
  EXPECT_EQ(three.content->events.size(), 6U);

  EXPECT_FALSE(ChordContent(functionKeys, 1).content);
  EXPECT_FALSE(ChordContent(functionKeys, 3).content);
}

TEST(ChordContent, AChordOfMoreThan41CodesUsesTheFirst41) {
  settings::KeyCatalogEntry many{"Many", {}};
  for (int i = 0; i < 50; ++i) {
    many.codes.push_back(0x04 + i);
  }
  const auto built = ChordContent({many}, 0);
  EXPECT_TRUE(built.shortened);
  EXPECT_EQ(built.used, 41U);
  EXPECT_EQ(built.available, 50U);
  EXPECT_EQ(built.content->events.size(), 82U);
  const KeyAssignmentRecord record = RecordOf(built);
  EXPECT_EQ(record.Event(40), (KeyEvent{0x04 + 40, kChordPressFlags}));
  EXPECT_EQ(record.Event(41), (KeyEvent{0x05, kQuickReleaseFlags}));
  EXPECT_EQ(record.Event(81), (KeyEvent{0x04, kQuickReleaseFlags}));
  EXPECT_TRUE(HeldAtEnd(record).empty());
}

// A key plays an older copy when its macro's group, found by name, now gives something else.
TEST_F(MacroContentTest, AMacroChangedSinceIsAnOlderCopy) {
  MacroNode& group = NewGroup();
  Add(group, "4", "0", "10");
  const KeyContent given = *MacroContent(&group, 2).content;
  KeyContent unnamed = given;
  unnamed.name.clear();
  KeyContent chord = given;
  chord.kind = ContentKind::kChord;

  EXPECT_FALSE(PlaysOlderCopy(given, library_));
  Add(group, "4", "1", "10");
  KeyContent otherDelay = *MacroContent(&group, 2).content;
  otherDelay.events[1].flags = 0x82;
  struct Case {
    const char* what;
    KeyContent content;
    bool older;
  };
  const Case cases[] = {
      {"the group has an event more", given, true},
      {"the key has it as it is now", *MacroContent(&group, 2).content, false},
      {"the key has another delay", otherDelay, true},
      {"no name to find the group by", unnamed, false},
      {"not a macro of the library", chord, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PlaysOlderCopy(c.content, library_), c.older) << c.what;
  }
  group.SetAttribute("name", "renamed");
  EXPECT_FALSE(PlaysOlderCopy(given, library_));
}

}  // namespace
}  // namespace keyloom::keymap

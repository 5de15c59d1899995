#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "macro/MacroSlotRoom.h"
#include "macro/RepeatCount.h"

namespace keyloom::macro {
namespace {

using Half = protocol::KeySlotTable::Half;
using Problem = RepeatCount::Problem;
using State = MacroSlotRoom::State;

struct RepeatCase {
  const char* text;
  Problem problem;
  std::int32_t value;
};

TEST(RepeatCount, TakesOneTo255AndSaysWhyItRefusesTheRest) {
  const std::vector<RepeatCase> cases = {
      {"  ", Problem::kEmpty, 0},
      {"0", Problem::kTooFew, 0},
      {"-3", Problem::kTooFew, -3},
      {"256", Problem::kTooMany, 256},
      {"99999999999", Problem::kTooMany, INT32_MAX},
      {"12ms", Problem::kNotANumber, 12},
      {"1 2", Problem::kNotANumber, 1},
      {"+", Problem::kNotANumber, 0},
      {"1", Problem::kNone, 1},
      {" 42 ", Problem::kNone, 42},
      {"+7", Problem::kNone, 7},
      {"255", Problem::kNone, 255},
  };
  for (const RepeatCase& c : cases) {
    const RepeatCount read = ReadRepeatCount(c.text);
    EXPECT_EQ(read.problem, c.problem) << '"' << c.text << '"';
    EXPECT_EQ(read.value, c.value) << '"' << c.text << '"';
    EXPECT_EQ(read.ok(), c.problem == Problem::kNone) << '"' << c.text << '"';
  }
}

struct RoomCase {
  const char* what;
  std::vector<std::uint8_t> macroSlots;  // the first slots; the others are free
  bool whole;
  std::vector<std::uint8_t> keys;
  MacroSlotRoom expected;
};

TEST(MacroSlotRoom, CountsTheFreeMacroSlotsAndWhetherTheKeysFindOne) {
  const std::vector<std::uint8_t> full = {0x04, 0x05, 0x06, 0x07, 0x08, 0x09,
                                          0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0xE0};
  const std::vector<RoomCase> cases = {
      {"a read that lost a reply", {}, false, {0x04}, {State::kUnknown, 0}},
      {"a gap between taken slots", {0x04, 0x00, 0x05, 0xE0}, true, {0x3E}, {State::kFree, 9}},
      {"full, the key holds one", full, true, {0xE0}, {State::kOwnSlot, 0}},
      {"full, a new key", full, true, {0x3E}, {State::kFull, 0}},
      {"one free, two new keys",
       {0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E},
       true,
       {0x3E, 0x3F},
       {State::kFull, 1}},
      {"no key, one free",
       {0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E},
       true,
       {},
       {State::kFree, 1}},
      {"no key, full", full, true, {}, {State::kFull, 0}},
  };
  for (const RoomCase& c : cases) {
    protocol::KeySlotTable slots;
    for (std::size_t i = 0; i < c.macroSlots.size(); ++i) {
      slots.SetSlot(Half::kMacro, i, c.macroSlots[i]);
    }
    // Remap slots are not macro slots: a key in one still needs a macro slot.
    slots.SetSlot(Half::kRemap, 0, 0x3E);
    protocol::SelectedKeys keys;
    for (const std::uint8_t key : c.keys) {
      keys.emplace(key, "");
    }
    const MacroSlotRoom room = MacroSlotRoomFor(slots, c.whole, keys);
    EXPECT_EQ(room.state, c.expected.state) << c.what;
    EXPECT_EQ(room.free, c.expected.free) << c.what;
  }
}

}  // namespace
}  // namespace keyloom::macro

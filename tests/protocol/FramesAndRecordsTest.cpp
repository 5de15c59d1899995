#include <cstdint>
#include <limits>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "protocol/KeyAssignmentRecord.h"
#include "protocol/KeyEvent.h"
#include "protocol/KeySlotTable.h"
#include "protocol/SelectedKeys.h"

namespace keyloom::protocol {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Half = KeySlotTable::Half;

TEST(DelayEncodingTest, ExamplesOfAMacroWithPressAndRelease) {
  EXPECT_EQ(MakeKeyEvent(0x04, false, 2000), (KeyEvent{0x04, 0x54}));
  EXPECT_EQ(MakeKeyEvent(0x04, true, 400), (KeyEvent{0x04, 0xA8}));
  EXPECT_EQ(EncodeDelay(50000), 0x7F);  // unit 3, count 31
  EXPECT_EQ(EncodeDelay(0), 0x01);      // unit 0, count 1
}

TEST(DelayEncodingTest, UnitBoundariesAndTheTenMillisecondStepsOfUnitZero) {
  struct Case {
    std::int64_t delayMs;
    std::uint8_t encoded;
  };
  const std::vector<Case> cases{
      {std::numeric_limits<std::int64_t>::min(), 0x01},
      {-5, 0x01},
      {9, 0x01},
      {10, 0x01},
      {25, 0x02},
      {100, 0x0A},
      {310, 0x1F},
      {311, 0x20 | 6},
      {1550, 0x20 | 31},
      {1551, 0x40 | 15},
      {3100, 0x40 | 31},
      {3101, 0x60 | 3},
      {31000, 0x60 | 31},
      {std::numeric_limits<std::int64_t>::max(), 0x60 | 31},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeDelay(c.delayMs), c.encoded) << "delay " << c.delayMs;
  }
}

TEST(KeyAssignmentRecordTest, EventsStayWithinTheRecord) {
  KeyAssignmentRecord record;
  record.SetProfileNumber(2);
  record.SetSlotNumber(12);
  record.SetKeyCode(0xE0);
  record.SetRepeatCount(3);
  ASSERT_TRUE(record.SetEvent(0, {0x04, 0x54}));
  ASSERT_TRUE(record.SetEvent(81, {0x05, 0xA8}));

  EXPECT_FALSE(record.SetEvent(82, {0x06, 0x01}));
  EXPECT_FALSE(record.Event(82).has_value());
  EXPECT_THAT(std::vector<std::uint8_t>(record.bytes().begin(), record.bytes().begin() + 6),
              ElementsAre(2, 12, 0xE0, 3, 0x04, 0x54));
  EXPECT_EQ(record.bytes()[166], 0x05);
  EXPECT_EQ(record.bytes()[167], 0xA8);
  EXPECT_EQ(record.Event(81), (KeyEvent{0x05, 0xA8}));
  EXPECT_TRUE(record.IsMacro());

  record.Clear();
  EXPECT_EQ(record, KeyAssignmentRecord());
  EXPECT_FALSE(record.IsMacro());
}

KeySlotTable TableWithMacroSlots(std::vector<std::uint8_t> macroKeys) {
  KeySlotTable table;
  for (std::size_t i = 0; i < macroKeys.size(); ++i) {
    table.SetSlot(Half::kMacro, i, macroKeys[i]);
  }
  return table;
}

TEST(KeySlotTableTest, SlotSearchPrefersTheKeysOwnSlotThenTheFirstFreeOne) {
  const KeySlotTable table = TableWithMacroSlots({0x00, 0xE0, 0x04, 0x00});

  EXPECT_EQ(table.FindSlot(Half::kMacro, 0xE0), 1u);
  EXPECT_EQ(table.FindSlot(Half::kMacro, 0x04), 2u);
  EXPECT_EQ(table.FindSlot(Half::kMacro, 0x05), 0u);
  EXPECT_EQ(table.FindSlot(Half::kRemap, 0xE0), 0u) << "the halves are searched separately";
}

TEST(KeySlotTableTest, AFullHalfHasRoomOnlyForItsOwnKeys) {
  const KeySlotTable table =
      TableWithMacroSlots({0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xFF});

  EXPECT_FALSE(table.FindSlot(Half::kMacro, 0x04).has_value());
  EXPECT_EQ(table.FindSlot(Half::kMacro, 0xFF), 11u);
  EXPECT_EQ(table.FindSlot(Half::kMacro, 0xE0), 6u);
}

TEST(KeySlotTableTest, ExactSearchIgnoresFreeSlots) {
  KeySlotTable table = TableWithMacroSlots({0x00, 0x04});
  table.SetSlot(Half::kRemap, 5, 0xE7);

  EXPECT_EQ(table.FindExact(Half::kMacro, 0x04), 1u);
  EXPECT_FALSE(table.FindExact(Half::kMacro, 0x05).has_value());
  EXPECT_FALSE(table.FindExact(Half::kMacro, 0xE7).has_value());
  EXPECT_EQ(table.FindExact(Half::kRemap, 0xE7), 5u);
  EXPECT_EQ(table.bytes()[12 + 5], 0xE7);
}

TEST(SelectedKeysTest, KeyCodesAreOrderedAsSignedBytes) {
  SelectedKeys keys{{0x04, "A"}, {0x7F, "F"}, {0xE0, "Ctrl Left"}, {0x00, ""}, {0x80, "X"}};

  std::vector<std::uint8_t> order;
  for (const auto& [code, name] : keys) {
    order.push_back(code);
  }
  EXPECT_THAT(order, ElementsAreArray({0x80, 0xE0, 0x00, 0x04, 0x7F}));
}

}  // namespace
}  // namespace keyloom::protocol

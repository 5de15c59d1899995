#include <array>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ProtocolFixture.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/LightingPanels.h"
#include "protocol/LightingSync.h"
#include "protocol/LightingTable.h"

namespace keyloom::protocol {
namespace {

using ::testing::ElementsAre;
using ::testing::Optional;

constexpr int kUserAreas = LightingTable::kUserAreaMode;

class SendLightingTest : public ::testing::Test, protected testing::ProtocolFixture {};

TEST_F(SendLightingTest, AModeNotYetTouchedSendsItsDefaultRecord) {
  const LightingTable table;
  SendLighting(link, 3, table);
  SendLighting(link, kUserAreas, table);

  EXPECT_THAT(trace, ElementsAre("pause 50", "set 07f7030101030300 ok", "pause 50",
                                 "set 07f7080000000300 ok"));
}

TEST_F(SendLightingTest, AModeOutsideTheTenSendsNothing) {
  const LightingTable table;
  SendLighting(link, 10, table);
  SendLighting(link, -1, table);

  EXPECT_TRUE(trace.empty());
}

TEST_F(SendLightingTest, UserAreasOnTheirSecondColourSendZeroAreaBytes) {
  LightingTable table;
  LightingControlValues controls;
  controls.brightness = 2;
  controls.areas = {0, 0, 0, 0, 0, 0};
  SyncLightingFromControls(table, kUserAreas, controls);
  SendLighting(link, kUserAreas, table);

  EXPECT_THAT(trace, ElementsAre("pause 50", "set 07f7080000000200 ok"));
}

TEST(LightingSyncTest, AreaWithItsFirstControlCheckedStoresFifteen) {
  LightingTable table;
  LightingControlValues controls;
  controls.brightness = 3;
  controls.areas = {0, 1, -1, 6, 2, 3};
  SyncLightingFromControls(table, kUserAreas, controls);

  EXPECT_THAT(table[kUserAreas].bytes, ElementsAre(0x01, 0xF6, 0x23, 0x03, 0x00));
}

TEST(LightingSyncTest, UserAreaModeStoresNeitherSpeedNorColourNorDirection) {
  LightingTable table;
  LightingControlValues controls;
  controls.speed = 1;
  controls.colour = 6;
  controls.direction = 1;
  controls.brightness = 1;
  controls.areas = {1, 2, 3, 4, 5, 6};
  SyncLightingFromControls(table, kUserAreas, controls);

  EXPECT_THAT(table[kUserAreas].bytes, ElementsAre(0x12, 0x34, 0x56, 0x01, 0x00));
}

TEST(LightingSyncTest, ControlsAreMaskedIntoTheirBitsAndOtherBitsKeep) {
  LightingTable table;
  table[1].bytes = {0xF8, 0xFC, 0xFC, 0xFC, 0xAB};
  LightingControlValues controls;
  controls.brightness = 4;  // a slider value 4 is stored as 0
  controls.speed = 2;
  controls.colour = 4;  // "bar_color5"
  controls.direction = 1;
  SyncLightingFromControls(table, 1, controls);

  EXPECT_THAT(table[1].bytes, ElementsAre(0xFD, 0xFE, 0xFE, 0xFC, 0xAB));
}

TEST(LightingSyncTest, NoColourAndNoDirectionStoreColourZeroAndLeft) {
  LightingTable table;
  LightingControlValues controls;  // nothing checked
  SyncLightingFromControls(table, 2, controls);
  EXPECT_EQ(table[2].bytes[0], 0);
  EXPECT_EQ(table[2].bytes[1], 1);

  controls.direction = 0;
  controls.colour = 0;
  SyncLightingFromControls(table, 2, controls);
  EXPECT_EQ(table[2].bytes[0], 1);
  EXPECT_EQ(table[2].bytes[1], 1);
}

TEST(LightingSyncTest, AModeOutsideTheTenIsIgnoredBothWays) {
  LightingTable table;
  LightingControlValues controls;
  controls.brightness = 1;
  SyncLightingFromControls(table, 10, controls);
  SyncLightingFromControls(table, -1, controls);

  EXPECT_EQ(table, LightingTable());
  EXPECT_FALSE(SyncLightingToControls(table, 10).has_value());
  EXPECT_FALSE(SyncLightingToControls(table, -1).has_value());
}

TEST(LightingSyncTest, LoadingColourZeroLeavesTheColourGroupAlone) {
  LightingTable table;
  table[4].bytes = {0x00, 0x02, 0x01, 0x02, 0x00};
  auto display = SyncLightingToControls(table, 4);
  ASSERT_TRUE(display.has_value());
  EXPECT_FALSE(display->colourIndex.has_value());
  EXPECT_EQ(display->directionIndex, 1);
  EXPECT_EQ(display->speed, 1);
  EXPECT_EQ(display->brightness, 2);
  EXPECT_FALSE(display->areaValues.has_value());

  table[4].bytes[0] = 5;
  display = SyncLightingToControls(table, 4);
  ASSERT_TRUE(display.has_value());
  EXPECT_EQ(display->colourIndex, 4);
}

TEST(LightingSyncTest, LoadingUserAreasGivesTheRawNibblesAndLeavesSpeedAlone) {
  LightingTable table;
  table[kUserAreas].bytes = {0xF0, 0x12, 0x6F, 0x02, 0x00};
  const auto display = SyncLightingToControls(table, kUserAreas);

  ASSERT_TRUE(display.has_value());
  EXPECT_THAT(display->areaValues, Optional(ElementsAre(15, 0, 1, 2, 6, 15)));
  EXPECT_EQ(display->brightness, 2);
  EXPECT_FALSE(display->speed.has_value());
  EXPECT_FALSE(display->colourIndex.has_value());
  EXPECT_FALSE(display->directionIndex.has_value());
}

TEST(LightingSyncTest, EachModeKeepsItsOwnParameters) {
  LightingTable table;
  LightingControlValues first;
  first.brightness = 1;
  first.speed = 2;
  first.colour = 3;
  first.direction = 1;
  SyncLightingFromControls(table, 1, first);
  LightingControlValues second;
  second.brightness = 3;
  second.colour = 6;
  SyncLightingFromControls(table, 2, second);

  const auto display = SyncLightingToControls(table, 1);
  ASSERT_TRUE(display.has_value());
  EXPECT_EQ(display->brightness, 1);
  EXPECT_EQ(display->speed, 2);
  EXPECT_EQ(display->colourIndex, 3);
  EXPECT_EQ(display->directionIndex, 1);
}

TEST(LightingPanelsTest, EachModeShowsOnlyThePanelsItUses) {
  struct Case {
    int mode;
    LightingPanels panels;  // direction, speed, brightness, colour bar, user areas
  };
  const std::vector<Case> cases{
      {0, {true, true, true, false, false}},  {1, {true, true, true, true, false}},
      {3, {false, false, true, true, false}}, {4, {false, true, true, true, false}},
      {5, {false, true, true, false, false}}, {7, {false, false, true, false, false}},
      {8, {false, false, true, false, true}}, {9, {false, false, true, false, false}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LightingPanelsForMode(c.mode), c.panels) << "mode " << c.mode;
  }
  EXPECT_FALSE(LightingPanelsForMode(10).has_value());
  EXPECT_EQ(SyncLightingToControls(LightingTable(), kUserAreas)->panels, cases[6].panels);
}

}  // namespace
}  // namespace keyloom::protocol

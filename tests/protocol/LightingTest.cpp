#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ProtocolFixture.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/LightingParameters.h"
#include "protocol/LightingTable.h"

namespace keyloom::protocol {
namespace {

using ::testing::ElementsAre;

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

TEST_F(SendLightingTest, UserAreasOnTheirFirstColourSendZeroAreaBytes) {
  LightingTable table;
  LightingParameters lighting{.ledMode = kUserAreas, .brightness = 2};
  lighting.areas = {1, 1, 1, 1, 1, 1};
  table[kUserAreas] = lighting.Encode(table[kUserAreas]);
  SendLighting(link, kUserAreas, table);

  EXPECT_THAT(trace, ElementsAre("pause 50", "set 07f7080000000200 ok"));
}

}  // namespace
}  // namespace keyloom::protocol

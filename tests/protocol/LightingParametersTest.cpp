#include <array>
#include <cstddef>
#include <cstdint>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "protocol/LightingParameters.h"
#include "protocol/LightingTable.h"

namespace keyloom::protocol {
namespace {

using ::testing::ElementsAreArray;

constexpr int kUserAreas = LightingTable::kUserAreaMode;
constexpr LightingDirection kLeft = LightingDirection::kLeft;
constexpr LightingDirection kRight = LightingDirection::kRight;
constexpr LightingColour kNone = kNoColour;
constexpr LightingRecord kEveryBitSet{{0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};

// The bytes of the parameters, stored onto a record: only the fields the mode holds change.
TEST(LightingParametersTest, EncodeStoresTheModesFieldsIntoTheirBits) {
  struct Case {
    const char* what;
    LightingParameters parameters;
    LightingRecord base;
    std::array<std::uint8_t, LightingRecord::kSize> bytes;
  };
  const auto areas = [](std::array<LightingColour, kLightingAreaCount> colours) {
    LightingParameters parameters{.ledMode = kUserAreas, .brightness = 3};
    parameters.areas = colours;
    return parameters;
  };
  LightingParameters areasAndTheRest = areas({2, 3, 4, 5, 6, 7});
  areasAndTheRest.brightness = 1;
  areasAndTheRest.speed = 1;
  areasAndTheRest.colour = 7;
  areasAndTheRest.direction = kRight;
  const Case cases[] = {
      {"no colour, left", {.ledMode = 2}, LightingTable::kDefaultRecord, {0, 1, 0, 0, 0}},
      {"every field",
       {.ledMode = 1, .brightness = 1, .speed = 2, .colour = 5, .direction = kRight},
       LightingTable::kDefaultRecord,
       {0x05, 0x02, 0x02, 0x01, 0x00}},
      {"brightness 4 keeps its low bits, other bits stay",
       {.ledMode = 1, .brightness = 4, .speed = 2, .colour = 5, .direction = kRight},
       {{0xF8, 0xFC, 0xFC, 0xFC, 0xAB}},
       {0xFD, 0xFE, 0xFE, 0xFC, 0xAB}},
      {"defaults onto every bit", {.ledMode = 9}, kEveryBitSet, {0xF8, 0xFD, 0xFC, 0xFC, 0xFF}},
      {"area none is fifteen",
       areas({1, 2, kNone, 7, 3, 4}),
       LightingTable::kDefaultUserAreaRecord,
       {0x01, 0xF6, 0x23, 0x03, 0x00}},
      {"areas store no speed, colour or direction",
       areasAndTheRest,
       LightingTable::kDefaultUserAreaRecord,
       {0x12, 0x34, 0x56, 0x01, 0x00}},
      {"areas replace their bytes whole",
       areas({1, 1, 1, 1, 1, 1}),
       kEveryBitSet,
       {0x00, 0x00, 0x00, 0xFF, 0xFF}},
  };
  for (const Case& c : cases) {
    EXPECT_THAT(c.parameters.Encode(c.base).bytes, ElementsAreArray(c.bytes)) << c.what;
  }
}

TEST(LightingParametersTest, DecodeReadsTheModesFieldsAndNothingElse) {
  struct Case {
    const char* what;
    int ledMode;
    LightingRecord record;
    LightingParameters parameters;
  };
  LightingParameters areas{.ledMode = kUserAreas, .brightness = 2};
  areas.areas = {kNone, 1, 2, 3, 7, kNone};
  LightingParameters outOfPalette{.ledMode = kUserAreas, .brightness = 3};
  outOfPalette.areas = {8, 15, 1, 1, 1, 1};
  const Case cases[] = {
      {"colour none",
       4,
       {{0x00, 0x02, 0x01, 0x02, 0x00}},
       {.ledMode = 4, .brightness = 2, .speed = 1, .colour = kNone, .direction = kRight}},
      {"other bits ignored, direction 3 is left",
       0,
       kEveryBitSet,
       {.ledMode = 0, .brightness = 3, .speed = 3, .colour = 7, .direction = kLeft}},
      {"direction 0 is left",
       5,
       {{0x03, 0x00, 0x00, 0x00, 0x00}},
       {.ledMode = 5, .colour = 3, .direction = kLeft}},
      {"areas", kUserAreas, {{0xF0, 0x12, 0x6F, 0x02, 0x00}}, areas},
      {"area nibbles never written", kUserAreas, {{0x7E, 0x00, 0x00, 0x03, 0x00}}, outOfPalette},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LightingParameters::Decode(c.ledMode, c.record), c.parameters) << c.what;
  }
}

// Every value of each field a mode holds comes back from its bytes, whatever the record held
// before.
TEST(LightingParametersTest, ParametersComeBackFromTheirRecord) {
  constexpr int kLevels = kHighestLightingLevel + 1;
  constexpr int kColours = kPaletteColours + 1;  // none of them too
  for (int mode = 0; mode < LightingTable::kModeCount; ++mode) {
    for (int level = 0; level < kLevels; ++level) {
      for (int colour = 0; colour < kColours; ++colour) {
        for (const LightingDirection direction : {kLeft, kRight}) {
          LightingParameters parameters{.ledMode = mode, .brightness = level};
          if (mode == kUserAreas) {
            for (std::size_t area = 0; area < kLightingAreaCount; ++area) {
              parameters.areas[area] = (colour + static_cast<int>(area)) % kColours;
            }
          } else {
            parameters.speed = kHighestLightingLevel - level;
            parameters.colour = colour;
            parameters.direction = direction;
          }
          for (const LightingRecord& base : {LightingTable::DefaultRecord(mode), kEveryBitSet}) {
            EXPECT_EQ(LightingParameters::Decode(mode, parameters.Encode(base)), parameters)
                << "mode " << mode << " level " << level << " colour " << colour;
          }
        }
      }
    }
  }
}

// Every value of each byte comes back from the parameters read from it, but for a direction other
// than left (1) or right (2) on the wire.
TEST(LightingParametersTest, RecordsComeBackFromTheirParameters) {
  constexpr std::size_t kDirectionByte = 1;
  for (int mode = 0; mode < LightingTable::kModeCount; ++mode) {
    for (std::size_t byte = 0; byte < LightingRecord::kSize; ++byte) {
      for (int value = 0; value <= 0xFF; ++value) {
        const int direction = value & 0x03;
        if (mode != kUserAreas && byte == kDirectionByte && direction != 1 && direction != 2) {
          continue;
        }
        LightingRecord record = LightingTable::DefaultRecord(mode);
        record.bytes[byte] = static_cast<std::uint8_t>(value);
        EXPECT_EQ(LightingParameters::Decode(mode, record).Encode(record), record)
            << "mode " << mode << " byte " << byte << " value " << value;
      }
    }
  }
}

}  // namespace
}  // namespace keyloom::protocol

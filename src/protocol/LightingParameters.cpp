#include "protocol/LightingParameters.h"

#include <cstdint>

#include "protocol/LightingTable.h"

namespace keyloom::protocol {

namespace {

constexpr std::size_t kColourByte = 0;
constexpr std::size_t kDirectionByte = 1;
constexpr std::size_t kSpeedByte = 2;
constexpr std::size_t kBrightnessByte = 3;

constexpr std::uint8_t kColourBits = 0x07;
constexpr std::uint8_t kTwoBits = 0x03;
constexpr std::uint8_t kNibbleBits = 0x0F;
constexpr int kNibbleShift = 4;

constexpr int kLeftOnTheWire = 1;
constexpr int kRightOnTheWire = 2;
// An area nibble is its colour less one; none of the seven is this.
constexpr int kNoAreaColourOnTheWire = 15;

void StoreBits(std::uint8_t& byte, std::uint8_t bits, int value) {
  byte = static_cast<std::uint8_t>((byte & ~bits) | (value & bits));
}

int AreaNibble(LightingColour colour) {
  return colour == kNoColour ? kNoAreaColourOnTheWire : (colour - 1) & kNibbleBits;
}

LightingColour AreaColour(int nibble) {
  return nibble == kNoAreaColourOnTheWire ? kNoColour : nibble + 1;
}

}  // namespace

LightingParameters LightingParameters::Decode(int ledMode, const LightingRecord& record) {
  const auto& bytes = record.bytes;
  LightingParameters parameters;
  parameters.ledMode = ledMode;
  parameters.brightness = bytes[kBrightnessByte] & kTwoBits;
  if (ledMode == LightingTable::kUserAreaMode) {
    for (std::size_t pair = 0; pair < kLightingAreaCount / 2; ++pair) {
      parameters.areas[2 * pair] = AreaColour(bytes[pair] >> kNibbleShift);
      parameters.areas[2 * pair + 1] = AreaColour(bytes[pair] & kNibbleBits);
    }
    return parameters;
  }
  parameters.speed = bytes[kSpeedByte] & kTwoBits;
  parameters.colour = bytes[kColourByte] & kColourBits;
  parameters.direction = (bytes[kDirectionByte] & kTwoBits) == kRightOnTheWire
                             ? LightingDirection::kRight
                             : LightingDirection::kLeft;
  return parameters;
}

LightingRecord LightingParameters::Encode(const LightingRecord& base) const {
  LightingRecord record = base;
  auto& bytes = record.bytes;
  StoreBits(bytes[kBrightnessByte], kTwoBits, brightness);
  if (ledMode == LightingTable::kUserAreaMode) {
    for (std::size_t pair = 0; pair < kLightingAreaCount / 2; ++pair) {
      bytes[pair] = static_cast<std::uint8_t>(AreaNibble(areas[2 * pair]) << kNibbleShift |
                                              AreaNibble(areas[2 * pair + 1]));
    }
    return record;
  }
  StoreBits(bytes[kSpeedByte], kTwoBits, speed);
  StoreBits(bytes[kDirectionByte], kTwoBits,
            direction == LightingDirection::kRight ? kRightOnTheWire : kLeftOnTheWire);
  StoreBits(bytes[kColourByte], kColourBits, colour);
  return record;
}

bool LightingParameters::IsRecordOf(int ledMode, const LightingRecord& record) {
  const LightingParameters parameters = Decode(ledMode, record);
  for (const LightingColour area : parameters.areas) {
    if (area > kPaletteColours) {
      return false;
    }
  }
  return parameters.Encode(LightingRecord{}) == record;
}

}  // namespace keyloom::protocol

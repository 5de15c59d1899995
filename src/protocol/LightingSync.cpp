#include "protocol/LightingSync.h"

#include <cstdint>

namespace keyloom::protocol {

namespace {

constexpr std::uint8_t kColourMask = 0x07;
constexpr std::uint8_t kTwoBitMask = 0x03;
constexpr std::uint8_t kNibbleMask = 0x0F;
constexpr int kNoAreaColour = 15;
constexpr int kDirectionLeft = 1;
constexpr int kDirectionRight = 2;

constexpr std::size_t kColourByte = 0;
constexpr std::size_t kDirectionByte = 1;
constexpr std::size_t kSpeedByte = 2;
constexpr std::size_t kBrightnessByte = 3;

void StoreLowBits(std::uint8_t& byte, std::uint8_t mask, int value) {
  byte = static_cast<std::uint8_t>((byte & ~mask) | (value & mask));
}

int AreaNibble(int groupValue) {
  return groupValue < 0 ? kNoAreaColour : groupValue & kNibbleMask;
}

}  // namespace

void SyncLightingFromControls(LightingTable& table, int ledMode,
                              const LightingControlValues& controls) {
  if (!LightingTable::IsLedMode(ledMode)) {
    return;
  }
  auto& bytes = table[ledMode].bytes;
  StoreLowBits(bytes[kBrightnessByte], kTwoBitMask, controls.brightness);
  if (ledMode == LightingTable::kUserAreaMode) {
    for (std::size_t pair = 0; pair < kLightingAreaCount / 2; ++pair) {
      bytes[pair] = static_cast<std::uint8_t>(AreaNibble(controls.areas[2 * pair]) << 4 |
                                              AreaNibble(controls.areas[2 * pair + 1]));
    }
    return;
  }
  StoreLowBits(bytes[kSpeedByte], kTwoBitMask, controls.speed);
  StoreLowBits(bytes[kDirectionByte], kTwoBitMask,
               controls.direction == 1 ? kDirectionRight : kDirectionLeft);
  StoreLowBits(bytes[kColourByte], kColourMask, controls.colour + 1);
}

std::optional<LightingControlDisplay> SyncLightingToControls(const LightingTable& table,
                                                             int ledMode) {
  const std::optional<LightingPanels> panels = LightingPanelsForMode(ledMode);
  if (!panels) {
    return std::nullopt;
  }
  const auto& bytes = table[ledMode].bytes;
  LightingControlDisplay display;
  display.panels = *panels;
  display.brightness = bytes[kBrightnessByte] & kTwoBitMask;
  if (ledMode == LightingTable::kUserAreaMode) {
    std::array<int, kLightingAreaCount> areas{};
    for (std::size_t pair = 0; pair < kLightingAreaCount / 2; ++pair) {
      areas[2 * pair] = bytes[pair] >> 4;
      areas[2 * pair + 1] = bytes[pair] & kNibbleMask;
    }
    display.areaValues = areas;
    return display;
  }
  display.speed = bytes[kSpeedByte] & kTwoBitMask;
  const int colour = bytes[kColourByte] & kColourMask;
  if (colour != 0) {
    display.colourIndex = colour - 1;
  }
  display.directionIndex = (bytes[kDirectionByte] & kTwoBitMask) == kDirectionRight ? 1 : 0;
  return display;
}

}  // namespace keyloom::protocol

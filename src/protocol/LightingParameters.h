#pragma once

#include <array>
#include <cstddef>

#include "protocol/LightingRecord.h"

namespace keyloom::protocol {

// A colour of the keyboard's palette, 1-7, or kNoColour for none of the seven.
using LightingColour = int;
inline constexpr LightingColour kNoColour = 0;
inline constexpr int kPaletteColours = 7;

// Brightness and speed run from 0 to this level.
inline constexpr int kHighestLightingLevel = 3;

inline constexpr std::size_t kLightingAreaCount = 6;

enum class LightingDirection { kLeft, kRight };

// The lighting of one LED mode in the keyboard's terms, made into its LightingRecord and read back
// from it. Every mode holds a brightness; mode 8 (user areas) also holds the six area colours,
// every other mode a speed, a colour and a direction. The fields a mode does not hold are neither
// stored nor read.
struct LightingParameters {
  int ledMode = 0;     // 0-9
  int brightness = 0;  // 0-3; the record keeps the two low bits of any other value
  int speed = 0;       // 0-3, likewise
  LightingColour colour = kNoColour;
  LightingDirection direction = LightingDirection::kLeft;
  // Areas 1-6.
  std::array<LightingColour, kLightingAreaCount> areas{kNoColour, kNoColour, kNoColour,
                                                       kNoColour, kNoColour, kNoColour};

  // What the record of `ledMode` (0-9) holds; the fields the mode does not hold keep their
  // defaults. A direction other than right on the wire reads as left. An area nibble 7-14, which
  // no palette colour gives, reads as colour 8-15, so that encoding it gives the same nibble
  // back.
  [[nodiscard]] static LightingParameters Decode(int ledMode, const LightingRecord& record);

  // `base` with the fields that the mode holds stored into their bits; every other bit stays as
  // in `base`, which is the record the mode held before.
  [[nodiscard]] LightingRecord Encode(const LightingRecord& base) const;

  // Whether `record` is one that parameters of `ledMode` (0-9) give: every field within its
  // range (a direction left or right, an area colour one of the seven or none) and every bit
  // that the mode does not use 0.
  [[nodiscard]] static bool IsRecordOf(int ledMode, const LightingRecord& record);

  friend bool operator==(const LightingParameters&, const LightingParameters&) = default;
};

}  // namespace keyloom::protocol

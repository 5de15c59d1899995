#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace keyloom::protocol {

// The five parameter bytes of one LED mode, sent as bytes 3-7 of the lighting frame.
//
// Modes 0-7 and 9: byte 0 bits 0-2 colour (0 = none of the seven, 1-7 = the palette's colour),
// byte 1 bits 0-1 direction (1 left, 2 right), byte 2 bits 0-1 speed, byte 3 bits 0-1
// brightness, byte 4 zero.
// Mode 8 (user areas): the six area colours as nibbles, area 1 in the high nibble of byte 0,
// area 2 in its low nibble, and so on up to byte 2 (0-6 = the palette's colours 1-7, 15 = none
// of them); byte 3 bits 0-1 brightness, byte 4 zero.
// Bits not named here stay 0. LightingParameters reads and writes these fields.
struct LightingRecord {
  static constexpr std::size_t kSize = 5;

  std::array<std::uint8_t, kSize> bytes{};

  friend bool operator==(const LightingRecord&, const LightingRecord&) = default;
};

static_assert(sizeof(LightingRecord) == LightingRecord::kSize);

}  // namespace keyloom::protocol

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace keyloom::settings {

// `value` in lower-case hexadecimal, zero-padded to at least `digits` digits, without a prefix
// ("04d9" for 0x4d9 and 4 digits).
[[nodiscard]] std::string HexNumber(unsigned value, int digits);

// Two lower-case hexadecimal digits per byte, in order, without separators: how records,
// reports and frames are written in files, traces and messages.
[[nodiscard]] std::string HexBytes(std::span<const std::uint8_t> bytes);

// The value of a hexadecimal digit of either case; nullopt for any other character.
[[nodiscard]] constexpr std::optional<std::uint8_t> HexDigitValue(char digit) {
  if (digit >= '0' && digit <= '9') {
    return static_cast<std::uint8_t>(digit - '0');
  }
  if (digit >= 'a' && digit <= 'f') {
    return static_cast<std::uint8_t>(digit - 'a' + 10);
  }
  if (digit >= 'A' && digit <= 'F') {
    return static_cast<std::uint8_t>(digit - 'A' + 10);
  }
  return std::nullopt;
}

// The N bytes that exactly 2 * N hexadecimal digits (either case) spell; nullopt for text of
// another length or with any other character.
template <std::size_t N>
[[nodiscard]] std::optional<std::array<std::uint8_t, N>> BytesFromHex(std::string_view text) {
  if (text.size() != 2 * N) {
    return std::nullopt;
  }
  std::array<std::uint8_t, N> bytes{};
  for (std::size_t i = 0; i < N; ++i) {
    const auto high = HexDigitValue(text[2 * i]);
    const auto low = HexDigitValue(text[2 * i + 1]);
    if (!high || !low) {
      return std::nullopt;
    }
    bytes[i] = static_cast<std::uint8_t>(*high << 4 | *low);
  }
  return bytes;
}

}  // namespace keyloom::settings

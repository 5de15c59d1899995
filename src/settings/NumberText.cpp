#include "settings/NumberText.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace keyloom::settings {

namespace {

constexpr std::uint32_t kHexBase = 16;
constexpr std::uint32_t kDecimalBase = 10;

// The largest magnitude a signed 32-bit value can carry: that of INT32_MIN.
constexpr std::uint64_t kMagnitudeLimit =
    static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) + 1;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::optional<std::uint32_t> DigitValue(char c, std::uint32_t base) {
  std::uint32_t value = 0;
  if (c >= '0' && c <= '9') {
    value = static_cast<std::uint32_t>(c - '0');
  } else if (c >= 'a' && c <= 'z') {
    value = static_cast<std::uint32_t>(c - 'a') + 10;
  } else if (c >= 'A' && c <= 'Z') {
    value = static_cast<std::uint32_t>(c - 'A') + 10;
  } else {
    return std::nullopt;
  }
  if (value >= base) {
    return std::nullopt;
  }
  return value;
}

std::int32_t ReadInt32(std::string_view text, std::uint32_t base) {
  std::size_t pos = 0;
  while (pos < text.size() && IsSpace(text[pos])) {
    ++pos;
  }
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  if (base == kHexBase && pos + 1 < text.size() && text[pos] == '0' &&
      (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
    pos += 2;
  }

  // Stops growing at the limit, which stays within 64 bits whatever the number of digits.
  std::uint64_t magnitude = 0;
  for (; pos < text.size(); ++pos) {
    const std::optional<std::uint32_t> digit = DigitValue(text[pos], base);
    if (!digit) {
      break;
    }
    magnitude = magnitude * base + *digit;
    if (magnitude > kMagnitudeLimit) {
      magnitude = kMagnitudeLimit;
    }
  }

  if (negative) {
    return magnitude == kMagnitudeLimit ? std::numeric_limits<std::int32_t>::min()
                                        : -static_cast<std::int32_t>(magnitude);
  }
  return magnitude >= kMagnitudeLimit ? std::numeric_limits<std::int32_t>::max()
                                      : static_cast<std::int32_t>(magnitude);
}

}  // namespace

std::int32_t ReadHexInt32(std::string_view text) {
  return ReadInt32(text, kHexBase);
}

std::int32_t ReadDecimalInt32(std::string_view text) {
  return ReadInt32(text, kDecimalBase);
}

}  // namespace keyloom::settings

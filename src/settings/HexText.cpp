#include "settings/HexText.h"

#include <cstdio>

namespace keyloom::settings {

std::string HexNumber(unsigned value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "%0*x", digits, value);
  return text;
}

std::string HexBytes(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(2 * bytes.size());
  for (const std::uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

}  // namespace keyloom::settings

#include "protocol/LightingEffects.h"

#include <algorithm>

namespace keyloom::protocol {

namespace {

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringAsciiCase(std::string_view left, std::string_view right) {
  return std::ranges::equal(left, right,
                            [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
}

}  // namespace

std::optional<int> LedModeFromName(std::string_view text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') {
    return text[0] - '0';
  }
  for (std::size_t mode = 0; mode < kLightingEffects.size(); ++mode) {
    const LightingEffect& effect = kLightingEffects[mode];
    if (EqualIgnoringAsciiCase(text, effect.name) ||
        EqualIgnoringAsciiCase(text, effect.identifier)) {
      return static_cast<int>(mode);
    }
  }
  return std::nullopt;
}

}  // namespace keyloom::protocol

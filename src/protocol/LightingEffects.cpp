#include "protocol/LightingEffects.h"

#include <algorithm>

#include "settings/AsciiText.h"

namespace keyloom::protocol {

std::optional<int> LedModeFromName(std::string_view text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') {
    return text[0] - '0';
  }
  for (std::size_t mode = 0; mode < kLightingEffects.size(); ++mode) {
    const LightingEffect& effect = kLightingEffects[mode];
    if (settings::EqualIgnoringAsciiCase(text, effect.name) ||
        settings::EqualIgnoringAsciiCase(text, effect.identifier)) {
      return static_cast<int>(mode);
    }
  }
  return std::nullopt;
}

}  // namespace keyloom::protocol

// config.xml's reader on any bytes: it must never crash, and whatever it accepts must give
// catalogue entries with names. The writer of the user's settings on the same bytes: whatever it
// writes must read back with the setting.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "settings/AppConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (const std::optional<std::string> written = keyloom::settings::WithLanguage(bytes, true)) {
    keyloom::settings::AppConfig reread;
    if (!reread.LoadBuffer(*written) || !reread.isChinese) {
      std::abort();
    }
  }
  keyloom::settings::AppConfig config;
  if (!config.LoadBuffer(bytes)) {
    if (!(config == keyloom::settings::AppConfig{})) {
      std::abort();
    }
    return 0;
  }
  for (const auto* catalogue : {&config.mediaKeys, &config.functionKeys}) {
    for (const auto& entry : *catalogue) {
      if (entry.name.empty()) {
        std::abort();
      }
    }
  }
  return 0;
}

// config.xml's reader on any bytes: it must never crash, and whatever it accepts must give
// catalogue entries with names.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/AppConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  keyloom::settings::AppConfig config;
  if (!config.LoadBuffer(std::string_view(reinterpret_cast<const char*>(data), size))) {
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

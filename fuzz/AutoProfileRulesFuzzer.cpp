// The reader of the rules of profiles that follow the application on any bytes: it must never
// crash, leaves the rules alone when the bytes are not well-formed, and what it accepts must be
// written so that it reads back to the same rules with nothing left out.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "autoprofile/AutoProfileRules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using keyloom::autoprofile::AutoProfileRules;
  AutoProfileRules rules;
  rules.rules = {{"kept", "", 1}};
  const AutoProfileRules before = rules;
  const auto parse = keyloom::autoprofile::ParseRules(
      std::string_view(reinterpret_cast<const char*>(data), size), rules);
  if (!parse.wellFormed) {
    if (rules != before) {
      std::abort();
    }
    return 0;
  }
  AutoProfileRules reread;
  const auto again = keyloom::autoprofile::ParseRules(RulesToXml(rules), reread);
  if (!again.wellFormed || again.leftOut != 0 || reread != rules) {
    std::abort();
  }
  return 0;
}

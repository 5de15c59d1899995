#include "cli/KeyArgument.h"

#include <charconv>

#include "protocol/KeyNameTable.h"

namespace keyloom::cli {

namespace {

std::optional<std::uint8_t> ParseCode(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  unsigned value = 0;
  const auto* end = text.data() + text.size();
  const auto [ptr, error] = std::from_chars(text.data(), end, value, base);
  if (error != std::errc{} || ptr != end || value == 0 || value > 0xFF) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(value);
}

}  // namespace

std::optional<std::uint8_t> ParseKeyArgument(std::string_view text) {
  // The table names the apostrophe key with a typographic quote (U+2018) that few people can
  // type.
  if (text == "'") {
    text = "\xE2\x80\x98";
  }
  if (const auto usage = protocol::UsageFromName(text)) {
    return usage;
  }
  return ParseCode(text);
}

}  // namespace keyloom::cli

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace keyloom::cli {

// A key as the user names it on the command line: a name of the key name table ("A", "F5",
// "ctrl left"; case does not matter) or a key code, decimal ("4") or hexadecimal ("0x04"),
// from 1 to 255. Returns nullopt for anything else.
std::optional<std::uint8_t> ParseKeyArgument(std::string_view text);

}  // namespace keyloom::cli

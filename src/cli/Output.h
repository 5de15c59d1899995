#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "keymap/KeyContent.h"

// What the commands share of what they print on standard output: as text for people, or with
// --json as JSON for scripts (each command prints its own beside it, in commands/).
namespace keyloom::cli {

// A JSON value whose fields keep the order in which they were given.
using Json = nlohmann::ordered_json;

// `text` as it may go to a terminal: every control character (C0, DEL and C1), which a name read
// from a file may carry, is shown as an escape ("\n", "\t", "\r", "\x1b", "\u009b"), and every
// ill-formed UTF-8 sequence as U+FFFD. Other text comes back unchanged.
[[nodiscard]] std::string Printable(std::string_view text);

// A command that failed with --json: prints {"error": the lines it told on standard error but its
// warnings, "warnings": those, "status": its exit status, "result": the JSON it printed before,
// or null}.
void PrintJsonError(std::ostream& out, int status, std::string_view told, std::string_view printed);

// Prints `json` indented by two blanks, on lines of its own.
void PrintJson(std::ostream& out, const Json& json);

// "0x" and `value` in `digits` hexadecimal digits.
[[nodiscard]] std::string Hex(unsigned value, int digits);

// "1 event", "12 events".
[[nodiscard]] std::string EventCount(std::size_t count);

// What `key` does, in fields: its kind and what it holds, and in words, its "description".
[[nodiscard]] Json ContentJson(std::uint8_t key, const keymap::KeyContent& content,
                               bool unfinished = false);

}  // namespace keyloom::cli

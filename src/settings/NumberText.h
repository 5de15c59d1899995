#pragma once

#include <cstdint>
#include <string_view>

namespace keyloom::settings {

// Tolerant readers for the numbers of the program's XML files. Both skip leading whitespace
// (space, tab, line feed, vertical tab, form feed, carriage return), accept one optional '+' or
// '-', and then read digits up to the first character that is not one; text with no digits there
// reads as 0, and whatever follows the digits is ignored ("12ab" reads as 12 in decimal).
//
// A value outside the signed 32-bit range saturates: it reads as INT32_MAX, or INT32_MIN when
// negative, however many digits follow. The digits are never accumulated past that point, so no
// input overflows.

// Hexadecimal: after the sign an optional "0x" or "0X" prefix, then the digits 0-9, a-f, A-F.
// "-1" reads as -1 and "ffffffff" as INT32_MAX (the value is the written number, not a bit
// pattern).
[[nodiscard]] std::int32_t ReadHexInt32(std::string_view text);

// Decimal: the digits 0-9.
[[nodiscard]] std::int32_t ReadDecimalInt32(std::string_view text);

}  // namespace keyloom::settings

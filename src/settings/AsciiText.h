#pragma once

#include <algorithm>
#include <string_view>

namespace keyloom::settings {

// The letter in lower case when it is an ASCII capital; every other byte as it is (UTF-8
// sequences included).
[[nodiscard]] constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether both texts are the same but for the case of ASCII letters: the names of files, keys,
// effects, window classes and skin attributes are compared so. Other characters must match
// exactly.
[[nodiscard]] constexpr bool EqualIgnoringAsciiCase(std::string_view left, std::string_view right) {
  return std::ranges::equal(left, right,
                            [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
}

}  // namespace keyloom::settings

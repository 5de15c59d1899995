#pragma once

#include <string>
#include <string_view>

namespace keyloom::hid {

// Conversions between the UTF-16 text of the Windows API and the UTF-8 text of the program.
// Invalid sequences become U+FFFD.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

}  // namespace keyloom::hid

#pragma once

#include <string>
#include <string_view>

namespace keyloom::settings {

// Returns the text with every ill-formed UTF-8 sequence (a stray continuation byte, a truncated
// sequence, an overlong form, a surrogate, a value above U+10FFFF) replaced by U+FFFD, one
// replacement for each maximal ill-formed part. Well-formed text comes back unchanged. Files that
// are not in the encoding they declare (for example a GBK file read as UTF-8) thus still give
// text that every consumer can handle.
[[nodiscard]] std::string ValidUtf8(std::string_view text);

}  // namespace keyloom::settings

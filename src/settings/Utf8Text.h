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

// The text as every file the program writes holds it, so that any XML 1.0 reader takes the file:
// ValidUtf8, and then each character that XML 1.0 does not allow (the control characters but
// tab, line feed and carriage return; U+FFFE and U+FFFF) replaced by U+FFFD as well. Every other
// character stays, so that a name read from a file that held such characters stays readable.
// The text ends at a NUL character, as it does in the XML writer's document.
[[nodiscard]] std::string XmlText(std::string_view text);

}  // namespace keyloom::settings

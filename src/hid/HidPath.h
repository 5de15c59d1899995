#pragma once

#include <optional>
#include <string_view>

#include "hid/DeviceSelector.h"

namespace keyloom::hid {

// Reads vendor id, product id, USB interface number and collection number out of a HID interface
// path such as "\\?\hid#vid_258a&pid_002a&mi_01&col02#8&1f2e&0&0001#{...}" (UTF-8).
//
// The path matches at the first place where "hid#vid_" and four characters, "&pid_" and four
// characters, optionally "&mi_" and two characters, and optionally "&col" and two characters
// follow each other. The literals are lower case; the captured characters must be decimal digits
// or ASCII letters. Each field reads as hexadecimal up to its first character that is not a hex
// digit ("0a" is 10, "zz" is 0). An absent interface or collection field is -1. A path without
// the sequence (a device on another bus, upper-case literals) yields nullopt.
std::optional<HidPathFields> ParseHidPath(std::string_view path);

}  // namespace keyloom::hid

#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace keyloom::protocol {

// Orders key codes as signed 8-bit numbers, so 0x80-0xFF (the modifiers among them) come before
// 0x00-0x7F.
struct SignedKeyCodeOrder {
  bool operator()(std::uint8_t left, std::uint8_t right) const {
    return static_cast<std::int8_t>(left) < static_cast<std::int8_t>(right);
  }
};

// The keys an assignment is made for: key code -> key name (UTF-8).
using SelectedKeys = std::map<std::uint8_t, std::string, SignedKeyCodeOrder>;

}  // namespace keyloom::protocol

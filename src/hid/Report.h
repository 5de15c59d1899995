#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace keyloom::hid {

// Every transfer with the keyboard is one feature report of exactly eight bytes. Byte 0 is the
// report id; bytes 1-7 are the payload.
inline constexpr std::size_t kReportSize = 8;
using Report = std::array<std::uint8_t, kReportSize>;

}  // namespace keyloom::hid

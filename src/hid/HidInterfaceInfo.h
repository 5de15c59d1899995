#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace keyloom::hid {

// A device interface class identifier laid out like the platform's GUID.
struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};

  friend bool operator==(const Guid&, const Guid&) = default;
};

// The HID device interface class {4D1E55B2-F16F-11CF-88CB-001111000030}.
inline constexpr Guid kHidInterfaceClass{
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// The GUID as the discovery traces show it: "%04x-%02x-%02x-%s", the last eight bytes as 16
// lowercase hexadecimal digits without separators.
std::string FormatGuidForTrace(const Guid& guid);

// One HID interface that matched a selector. Strings are UTF-8; a string the device did not give
// is empty (nullopt). Numbers the queries could not obtain are 0.
struct HidInterfaceInfo {
  std::string path;
  Guid interfaceClass;
  std::uint32_t interfaceFlags = 0;
  std::int32_t vendorId = 0;
  std::int32_t productId = 0;
  std::uint16_t releaseNumber = 0;
  std::optional<std::string> serialNumber;
  std::optional<std::string> manufacturer;
  std::optional<std::string> product;
  std::uint16_t usagePage = 0;
  std::uint16_t usage = 0;
};

}  // namespace keyloom::hid

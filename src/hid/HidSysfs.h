#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace keyloom::hid {

// Readers for the text that the kernel shows of a HID device in sysfs. They take the raw file
// contents and never fail on odd text: what cannot be read is nullopt.

// The bus of a HID device that discovery considers; devices on other buses are skipped.
inline constexpr std::uint16_t kHidBusUsb = 0x0003;

// The lines of a hid device's "uevent" file that discovery uses:
//   HID_ID=0003:0000258A:0000002A      bus, vendor id, product id (hexadecimal)
//   HID_NAME=...  HID_PHYS=usb-0000:00:14.0-2/input1  HID_UNIQ=...
struct HidUevent {
  std::uint16_t bus = 0;
  std::uint32_t vendorId = 0;
  std::uint32_t productId = 0;
  std::string name;
  std::string phys;
  std::string uniq;
};

// nullopt when the text has no well-formed HID_ID line.
std::optional<HidUevent> ParseHidUevent(std::string_view text);

// A hexadecimal attribute such as "bInterfaceNumber" ("01\n") or "bcdDevice" ("0105\n"):
// surrounding white space allowed, then 1 to 8 hex digits and nothing else. nullopt when the text
// is not such a number or the value exceeds `max`.
std::optional<std::uint32_t> ParseSysfsHex(std::string_view text, std::uint32_t max);

// The USB interface number at the end of HID_PHYS ("usb-0000:00:14.0-2/input1" -> 1), which the
// kernel writes in decimal. nullopt when the text does not end in "/input" and 1 to 3 digits or
// the number exceeds 255.
std::optional<std::int32_t> InterfaceNumberFromPhys(std::string_view phys);

// A string attribute ("manufacturer", "product", "serial") without the line break that sysfs
// appends. nullopt when nothing is left.
std::optional<std::string> SysfsString(std::string_view text);

}  // namespace keyloom::hid

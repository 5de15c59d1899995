#include "hid/HidSysfs.h"

#include <cstddef>

namespace keyloom::hid {
namespace {

constexpr std::size_t kMaxHexDigits = 8;
constexpr std::string_view kWhiteSpace = " \t\r\n";
constexpr std::string_view kPhysInputMarker = "/input";
constexpr std::size_t kMaxPhysDigits = 3;
constexpr std::uint32_t kMaxUsbInterfaceNumber = 0xFF;

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) {
    return {};
  }
  const std::size_t last = text.find_last_not_of(kWhiteSpace);
  return text.substr(first, last - first + 1);
}

std::optional<std::uint32_t> DigitsValue(std::string_view digits, std::uint32_t base,
                                         std::size_t maxDigits) {
  if (digits.empty() || digits.size() > maxDigits) {
    return std::nullopt;
  }
  std::uint32_t value = 0;
  for (const char c : digits) {
    std::uint32_t digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<std::uint32_t>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<std::uint32_t>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<std::uint32_t>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    value = value * base + digit;
  }
  return value;
}

// Parses "BBBB:VVVVVVVV:PPPPPPPP".
bool ParseHidId(std::string_view text, HidUevent& uevent) {
  const std::size_t first = text.find(':');
  if (first == std::string_view::npos) {
    return false;
  }
  const std::size_t second = text.find(':', first + 1);
  if (second == std::string_view::npos) {
    return false;
  }
  const auto bus = DigitsValue(text.substr(0, first), 16, kMaxHexDigits);
  const auto vendor = DigitsValue(text.substr(first + 1, second - first - 1), 16, kMaxHexDigits);
  const auto product = DigitsValue(text.substr(second + 1), 16, kMaxHexDigits);
  if (!bus || *bus > 0xFFFF || !vendor || !product) {
    return false;
  }
  uevent.bus = static_cast<std::uint16_t>(*bus);
  uevent.vendorId = *vendor;
  uevent.productId = *product;
  return true;
}

}  // namespace

std::optional<HidUevent> ParseHidUevent(std::string_view text) {
  HidUevent uevent;
  bool haveId = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);

    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      continue;
    }
    const std::string_view key = line.substr(0, equals);
    const std::string_view value = line.substr(equals + 1);
    if (key == "HID_ID") {
      haveId = ParseHidId(value, uevent);
    } else if (key == "HID_NAME") {
      uevent.name = value;
    } else if (key == "HID_PHYS") {
      uevent.phys = value;
    } else if (key == "HID_UNIQ") {
      uevent.uniq = value;
    }
  }
  if (!haveId) {
    return std::nullopt;
  }
  return uevent;
}

std::optional<std::uint32_t> ParseSysfsHex(std::string_view text, std::uint32_t max) {
  const auto value = DigitsValue(Trim(text), 16, kMaxHexDigits);
  if (!value || *value > max) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::int32_t> InterfaceNumberFromPhys(std::string_view phys) {
  const std::size_t marker = phys.rfind(kPhysInputMarker);
  if (marker == std::string_view::npos) {
    return std::nullopt;
  }
  const auto value = DigitsValue(phys.substr(marker + kPhysInputMarker.size()), 10, kMaxPhysDigits);
  if (!value || *value > kMaxUsbInterfaceNumber) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(*value);
}

std::optional<std::string> SysfsString(std::string_view text) {
  if (!text.empty() && text.back() == '\n') {
    text.remove_suffix(1);
  }
  if (text.empty()) {
    return std::nullopt;
  }
  return std::string(text);
}

}  // namespace keyloom::hid

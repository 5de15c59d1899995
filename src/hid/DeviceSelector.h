#pragma once

#include <cstdint>

namespace keyloom::hid {

// The fields that the path of one HID interface carries (see ParseHidPath). An interface or
// collection field that the path lacks is -1.
struct HidPathFields {
  std::int32_t vendorId = 0;
  std::int32_t productId = 0;
  std::int32_t interfaceNumber = -1;
  std::int32_t collectionNumber = -1;
};

// Which HID interface carries the keyboard's feature reports. Note the asymmetry of the
// wildcards: a vendor or product id of 0 (or below) matches any id, while interface and
// collection number 0 are real values; only a negative number matches anything there.
struct DeviceSelector {
  std::int32_t vendorId = 0;
  std::int32_t productId = 0;
  std::int32_t interfaceNumber = 0;
  std::int32_t collectionNumber = 0;

  [[nodiscard]] bool Matches(const HidPathFields& fields) const;
};

}  // namespace keyloom::hid

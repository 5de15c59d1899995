#include "hid/HidPath.h"

#include <cstddef>
#include <cstdint>

namespace keyloom::hid {
namespace {

constexpr std::string_view kVendorMarker = "hid#vid_";
constexpr std::string_view kProductMarker = "&pid_";
constexpr std::string_view kInterfaceMarker = "&mi_";
constexpr std::string_view kCollectionMarker = "&col";
constexpr std::size_t kIdWidth = 4;
constexpr std::size_t kNumberWidth = 2;

bool IsFieldChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// Reads the leading hexadecimal digits of a field; the field is at most 4 characters long, so
// the value always fits.
std::int32_t ReadHexPrefix(std::string_view field) {
  std::int32_t value = 0;
  for (const char c : field) {
    const int digit = HexDigitValue(c);
    if (digit < 0) {
      break;
    }
    value = value * 16 + digit;
  }
  return value;
}

// Matches `marker` followed by exactly `width` field characters at `pos`; on success returns the
// field's value and moves `pos` past it.
std::optional<std::int32_t> MatchField(std::string_view path, std::size_t& pos,
                                       std::string_view marker, std::size_t width) {
  if (path.substr(pos, marker.size()) != marker) {
    return std::nullopt;
  }
  const std::size_t fieldStart = pos + marker.size();
  if (path.size() - fieldStart < width) {
    return std::nullopt;
  }
  const std::string_view field = path.substr(fieldStart, width);
  for (const char c : field) {
    if (!IsFieldChar(c)) {
      return std::nullopt;
    }
  }
  pos = fieldStart + width;
  return ReadHexPrefix(field);
}

std::optional<HidPathFields> MatchAt(std::string_view path, std::size_t pos) {
  HidPathFields fields;
  const auto vendor = MatchField(path, pos, kVendorMarker, kIdWidth);
  if (!vendor) {
    return std::nullopt;
  }
  const auto product = MatchField(path, pos, kProductMarker, kIdWidth);
  if (!product) {
    return std::nullopt;
  }
  fields.vendorId = *vendor;
  fields.productId = *product;
  fields.interfaceNumber = MatchField(path, pos, kInterfaceMarker, kNumberWidth).value_or(-1);
  fields.collectionNumber = MatchField(path, pos, kCollectionMarker, kNumberWidth).value_or(-1);
  return fields;
}

}  // namespace

std::optional<HidPathFields> ParseHidPath(std::string_view path) {
  for (std::size_t pos = path.find(kVendorMarker); pos != std::string_view::npos;
       pos = path.find(kVendorMarker, pos + 1)) {
    if (auto fields = MatchAt(path, pos)) {
      return fields;
    }
  }
  return std::nullopt;
}

}  // namespace keyloom::hid

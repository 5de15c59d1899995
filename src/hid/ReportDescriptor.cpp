#include "hid/ReportDescriptor.h"

#include <array>
#include <cstddef>

namespace keyloom::hid {
namespace {

// Item prefix: bits 0-1 size code (3 means 4 bytes), bits 2-3 type, bits 4-7 tag.
constexpr std::uint8_t kLongItemPrefix = 0xFE;
constexpr std::uint8_t kTypeMain = 0;
constexpr std::uint8_t kTypeGlobal = 1;
constexpr std::uint8_t kTypeLocal = 2;
constexpr std::uint8_t kTypeLongItem = 0xFF;  // carries no state that matters here
constexpr std::uint8_t kMainCollection = 0xA;
constexpr std::uint8_t kMainEndCollection = 0xC;
constexpr std::uint8_t kGlobalUsagePage = 0x0;
constexpr std::uint8_t kGlobalPush = 0xA;
constexpr std::uint8_t kGlobalPop = 0xB;
constexpr std::uint8_t kLocalUsage = 0x0;
constexpr std::size_t kExtendedUsageSize = 4;
constexpr std::size_t kGlobalStackSize = 4;  // the depth the Linux HID parser allows

struct Item {
  std::uint8_t type = 0;
  std::uint8_t tag = 0;
  std::size_t size = 0;
  std::uint32_t data = 0;
};

// Reads the item at `pos` and moves past it; false when it runs past the end.
bool NextItem(std::span<const std::uint8_t> bytes, std::size_t& pos, Item& item) {
  const std::uint8_t prefix = bytes[pos];
  if (prefix == kLongItemPrefix) {
    if (bytes.size() - pos < 3) {
      return false;
    }
    const std::size_t dataSize = bytes[pos + 1];
    if (bytes.size() - pos - 3 < dataSize) {
      return false;
    }
    item = Item{};
    item.type = kTypeLongItem;
    pos += 3 + dataSize;
    return true;
  }
  static constexpr std::array<std::size_t, 4> kSizes = {0, 1, 2, 4};
  item.size = kSizes[prefix & 0x03];
  item.type = static_cast<std::uint8_t>((prefix >> 2) & 0x03);
  item.tag = static_cast<std::uint8_t>(prefix >> 4);
  if (bytes.size() - pos - 1 < item.size) {
    return false;
  }
  item.data = 0;
  for (std::size_t i = 0; i < item.size; ++i) {
    item.data |= static_cast<std::uint32_t>(bytes[pos + 1 + i]) << (8 * i);
  }
  pos += 1 + item.size;
  return true;
}

}  // namespace

std::optional<std::vector<TopLevelCollection>> ParseTopLevelCollections(
    std::span<const std::uint8_t> descriptor) {
  std::vector<TopLevelCollection> collections;
  std::uint16_t usagePage = 0;
  std::array<std::uint16_t, kGlobalStackSize> pushedPages{};
  std::size_t pushed = 0;
  // The first Usage item since the last main item, if there was one.
  bool haveFirstUsage = false;
  std::uint32_t firstUsage = 0;
  std::size_t firstUsageSize = 0;
  std::size_t depth = 0;

  Item item;
  for (std::size_t pos = 0; pos < descriptor.size();) {
    if (!NextItem(descriptor, pos, item)) {
      return std::nullopt;
    }
    if (item.type == kTypeGlobal) {
      if (item.tag == kGlobalUsagePage) {
        usagePage = static_cast<std::uint16_t>(item.data);
      } else if (item.tag == kGlobalPush) {
        if (pushed == kGlobalStackSize) {
          return std::nullopt;
        }
        pushedPages[pushed++] = usagePage;
      } else if (item.tag == kGlobalPop) {
        if (pushed == 0) {
          return std::nullopt;
        }
        usagePage = pushedPages[--pushed];
      }
    } else if (item.type == kTypeLocal) {
      if (item.tag == kLocalUsage && !haveFirstUsage) {
        haveFirstUsage = true;
        firstUsage = item.data;
        firstUsageSize = item.size;
      }
    } else if (item.type == kTypeMain) {
      if (item.tag == kMainCollection) {
        if (depth == 0) {
          TopLevelCollection collection;
          collection.usagePage = usagePage;
          collection.usage = static_cast<std::uint16_t>(firstUsage & 0xFFFF);
          if (firstUsageSize == kExtendedUsageSize) {
            collection.usagePage = static_cast<std::uint16_t>(firstUsage >> 16);
          }
          collections.push_back(collection);
        }
        ++depth;
      } else if (item.tag == kMainEndCollection) {
        if (depth == 0) {
          return std::nullopt;
        }
        --depth;
      }
      haveFirstUsage = false;
      firstUsage = 0;
      firstUsageSize = 0;
    }
  }
  if (depth != 0) {
    return std::nullopt;
  }
  return collections;
}

}  // namespace keyloom::hid

#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace keyloom::hid {

// The usage of one top-level collection of a HID report descriptor.
struct TopLevelCollection {
  std::uint16_t usagePage = 0;
  std::uint16_t usage = 0;

  friend bool operator==(const TopLevelCollection&, const TopLevelCollection&) = default;
};

// The top-level collections of a report descriptor in descriptor order, each with the usage
// declared for it (the first Usage since the previous main item, on the Usage Page in effect at
// the Collection item, or the page of an extended 32-bit usage). nullopt when the descriptor is
// malformed the way the kernel refuses it: an item running past the end, an End Collection with
// no open collection, a collection still open at the end, or a Push/Pop beyond the global stack.
std::optional<std::vector<TopLevelCollection>> ParseTopLevelCollections(
    std::span<const std::uint8_t> descriptor);

}  // namespace keyloom::hid

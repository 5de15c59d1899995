#include "protocol/KeySlotTable.h"

namespace keyloom::protocol {

std::optional<std::size_t> KeySlotTable::FindSlot(Half half, std::uint8_t keyCode) const {
  if (auto held = FindExact(half, keyCode)) {
    return held;
  }
  return FindExact(half, 0);
}

std::optional<std::size_t> KeySlotTable::FindExact(Half half, std::uint8_t keyCode) const {
  for (std::size_t index = 0; index < kSlotsPerHalf; ++index) {
    if (slot(half, index) == keyCode) {
      return index;
    }
  }
  return std::nullopt;
}

std::size_t KeySlotTable::FreeSlots(Half half) const {
  std::size_t free = 0;
  for (std::size_t index = 0; index < kSlotsPerHalf; ++index) {
    free += slot(half, index) == 0 ? 1U : 0U;
  }
  return free;
}

std::uint8_t KeySlotTable::slot(Half half, std::size_t index) const {
  return index < kSlotsPerHalf ? bytes_[Offset(half) + index] : 0;
}

void KeySlotTable::SetSlot(Half half, std::size_t index, std::uint8_t keyCode) {
  if (index < kSlotsPerHalf) {
    bytes_[Offset(half) + index] = keyCode;
  }
}

}  // namespace keyloom::protocol

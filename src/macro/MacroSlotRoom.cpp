#include "macro/MacroSlotRoom.h"

#include <algorithm>

namespace keyloom::macro {

MacroSlotRoom MacroSlotRoomFor(const protocol::KeySlotTable& slots, bool whole,
                               const protocol::SelectedKeys& keys) {
  using Half = protocol::KeySlotTable::Half;
  using State = MacroSlotRoom::State;
  if (!whole) {
    return {};
  }
  const std::size_t free = slots.FreeSlots(Half::kMacro);
  const auto withoutSlot =
      static_cast<std::size_t>(std::count_if(keys.begin(), keys.end(), [&slots](const auto& key) {
        return !slots.FindExact(Half::kMacro, key.first).has_value();
      }));
  if (!keys.empty() && withoutSlot == 0) {
    return {State::kOwnSlot, free};
  }
  return {free >= std::max<std::size_t>(withoutSlot, 1) ? State::kFree : State::kFull, free};
}

}  // namespace keyloom::macro

#pragma once

#include <cstddef>

#include "protocol/KeySlotTable.h"
#include "protocol/SelectedKeys.h"

namespace keyloom::macro {

// The room the active profile's 12 macro slots leave for an assignment. Every assignment needs
// the key's own macro slot or a free one, a remap too (which then goes into a remap slot): with
// neither, the keyboard is sent nothing and the user is told "Insufficient space, please delete
// the record button first."
struct MacroSlotRoom {
  enum class State {
    // The slot table is not a whole read (no keyboard, or a reply was lost): a slot that reads
    // as free may be taken.
    kUnknown,
    // Enough free slots for the keys that hold none.
    kFree,
    // Every key already holds a macro slot, which its next assignment takes again.
    kOwnSlot,
    // Fewer free slots than keys that hold none: at least one key can be given nothing.
    kFull,
  };

  State state = State::kUnknown;
  // Free macro slots; 0 when unknown.
  std::size_t free = 0;

  friend bool operator==(const MacroSlotRoom&, const MacroSlotRoom&) = default;
};

// The room for giving `keys` something, from the slot table last read (`whole`: all of its
// replies arrived). Without keys: kFree while a slot is free, else kFull.
[[nodiscard]] MacroSlotRoom MacroSlotRoomFor(const protocol::KeySlotTable& slots, bool whole,
                                             const protocol::SelectedKeys& keys);

}  // namespace keyloom::macro

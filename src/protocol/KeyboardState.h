#pragma once

#include "protocol/KeySlotTable.h"
#include "protocol/LightingTable.h"

namespace keyloom::protocol {

// The program's view of the keyboard: the profile index (0-2; -1 when no profile is chosen),
// the slot table as last read, and the lighting parameters of every mode.
struct KeyboardState {
  int profileIndex = 0;
  KeySlotTable slots;
  // Whether `slots` is a whole read: the request was taken and all four replies arrived. A
  // table with a lost reply shows occupied slots as free, so nothing is assigned from it.
  bool slotsWhole = false;
  LightingTable lighting;  // starts from the defaults
};

}  // namespace keyloom::protocol

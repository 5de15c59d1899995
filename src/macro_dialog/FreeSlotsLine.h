#pragma once

#include "protocol/KeyboardState.h"

namespace keyloom::ui {
class SHostWnd;
}

namespace keyloom::macro {

// The main window's line on the profile's free macro slots, which tells before a key is clicked
// how many keys can still be given something (a remap needs a free macro slot too): the control
// "free_macro_slots" holds the count as "free/12" in "text_free_macro_slots" beside its own
// texts. Shown while `keyboard`'s slot table is a whole read, hidden otherwise.
void ShowFreeSlotsLine(const ui::SHostWnd& window, const protocol::KeyboardState& keyboard);

}  // namespace keyloom::macro

#pragma once

#include "protocol/KeyboardState.h"
#include "protocol/SelectedKeys.h"

namespace keyloom::ui {
class SHostWnd;
class SStatic;
}  // namespace keyloom::ui

namespace keyloom::macro {

// The lines on the profile's free macro slots, which tell how many keys can still be given
// something (a remap needs a free macro slot too).

// The main window's line, before a key is clicked: the control "free_macro_slots" holds the
// count as "free/12" in "text_free_macro_slots" beside its own texts. Shown while `keyboard`'s
// slot table is a whole read, hidden otherwise.
void ShowFreeSlotsLine(const ui::SHostWnd& window, const protocol::KeyboardState& keyboard);

// The key assignment dialog's line "text_free_slots" for the keys being assigned: how many slots
// are free of the 12 and that a remap needs one too, or that the key keeps the slot it has, or
// that all are taken (in the skin's warning colour), or that it is not known for a table that was
// not read whole. Hidden without `keyboard`.
void ShowFreeSlotsText(ui::SStatic& line, const protocol::KeyboardState* keyboard,
                       const protocol::SelectedKeys& keys);

}  // namespace keyloom::macro

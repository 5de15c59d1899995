#pragma once

namespace keyloom::ui {

// The ids of the control events. Handlers compare EventArgs::eventId with these.

// A click of a button, image button, check box or radio button (after a check box or radio button
// took its new checked state), and a chosen named item of an extended menu.
inline constexpr int kEventCommand = 10000;

// Tab control: the selection changed (index: the new tab, previousIndex: the old one), the mouse
// came over a tab header and left it (index: the tab).
inline constexpr int kEventTabSelectionChanged = 11001;
inline constexpr int kEventTabItemHover = 11002;
inline constexpr int kEventTabItemLeave = 11003;

// List views: a row view was clicked (sender: the row view, index: its row), and the selected row
// changed (sender: the list view, index: the new row, previousIndex: the old one).
inline constexpr int kEventListItemClick = 13000;
inline constexpr int kEventListSelectionChanged = 13001;

// Multi-column list view: a column header was clicked (index: the column).
inline constexpr int kEventHeaderClick = 14000;

// Edit: a notification of the rich edit; code kRichEditTextChanged on every change of the text,
// typed or set.
inline constexpr int kEventRichEditNotify = 16000;
inline constexpr int kRichEditTextChanged = 768;

// Slider bar: the user moved the position (value: the new position).
inline constexpr int kEventSliderPos = 17000;

// Combo box: the selection changed (index: the new entry, previousIndex: the old one).
inline constexpr int kEventComboSelectionChanged = 19000;

// "on_key_enter": Enter pressed in an edit that reports it instead of taking it into the text.
inline constexpr int kEventKeyEnter = 10000500;

}  // namespace keyloom::ui

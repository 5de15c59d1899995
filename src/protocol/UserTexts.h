#pragma once

namespace keyloom::protocol {

// The texts the command sequences show the user, in the program's source language; the GUI
// translates them.
inline constexpr const char* kWarningCaption = "Warning";
inline constexpr const char* kInsufficientSpaceText =
    "Insufficient space, please delete the record button first.";
// What the factory restore loses, and what it keeps.
inline constexpr const char* kRestoreFactoryQuestion =
    "Restore the factory settings? The key assignments of all three profiles and the lighting "
    "are reset on the keyboard. Your macros on this computer are kept.";

}  // namespace keyloom::protocol

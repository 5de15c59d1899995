#pragma once

namespace keyloom::protocol {

// The texts the command sequences show the user, in the program's source language; the GUI
// translates them.
inline constexpr const char* kWarningCaption = "Warning";
inline constexpr const char* kInsufficientSpaceText =
    "Insufficient space, please delete the record button first.";
inline constexpr const char* kRestoreFactoryQuestion =
    "All settings will be restored, are you sure you want to continue?";

}  // namespace keyloom::protocol

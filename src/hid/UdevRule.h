#pragma once

namespace keyloom::hid {

// The udev rule that the package installs so that the user logged in at the machine may open
// the keyboard's hidraw nodes, and the commands that put it to work; both programs name them
// when the keyboard is found but cannot be opened.
inline constexpr const char* kUdevRuleFile = "70-keyloom.rules";
inline constexpr const char* kApplyUdevRulesCommand =
    "sudo udevadm control --reload && sudo udevadm trigger --subsystem-match=hidraw";
// From a build tree that was not installed as a package.
inline constexpr const char* kInstallUdevRuleCommand =
    "sudo cmake --install build/release --component udev";

}  // namespace keyloom::hid

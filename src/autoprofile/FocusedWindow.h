#pragma once

#include <string>

namespace keyloom::autoprofile {

// The window that has the keyboard focus, as the display tells it: the two names of its WM_CLASS
// and the file name of its program (from the window's process id), each empty when the window
// does not tell it. `none` when no window has the focus, or when the focused one belongs to a
// program the display does not tell of (a Wayland program in an XWayland display).
struct FocusedWindow {
  bool none = true;
  std::string instance;     // WM_CLASS's first name, "firefox-esr"
  std::string windowClass;  // WM_CLASS's second name, "Firefox-esr"
  std::string executable;   // "firefox-esr", without its folder
  // One of this program's own windows.
  bool ownProgram = false;

  // Windows of one application: the same names and the same program.
  [[nodiscard]] bool SameApplication(const FocusedWindow& other) const {
    return none == other.none && instance == other.instance && windowClass == other.windowClass &&
           executable == other.executable;
  }
};

}  // namespace keyloom::autoprofile

#pragma once

#include "app/LaunchOptions.h"

namespace keyloom::app {

// keyloom from start to end: prepares the toolkit with the skin of the program's data folder,
// reads the configuration and installs its translation, registers the program's controls, keeps a
// second start from running, then shows the main window and runs the message loop until the main
// window is destroyed; everything goes again in the reverse order of its making.
class AppShell {
 public:
  // Set to 1 in the environment, keyloom writes "instance: first" to standard output once it
  // holds the single instance, and "instance: activated" whenever a later start brings it to the
  // front; the tests of the single instance watch for these lines.
  static constexpr const char* kReportInstanceVariable = "KEYLOOM_REPORT_INSTANCE";

  explicit AppShell(LaunchOptions options);

  // Runs the program; `programPath` is the program's first argument as the system gave it.
  // Answers the exit status: the message loop's result (kExitOk once the main window was
  // closed), kExitOk for a later start that brought the first one forward or a screenshot
  // taken, kExitUsage for a file named on the command line that cannot be read or written,
  // kExitNoMainWindow when the skin does not give a main window.
  int Run(char* programPath);

 private:
  LaunchOptions options_;
};

}  // namespace keyloom::app

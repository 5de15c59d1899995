#pragma once

#include <QString>
#include <QStringList>

#include "app/LaunchOptions.h"

namespace keyloom::app {

// The program's name in its messages.
inline constexpr const char* kProgramName = "keyloom";

// keyloom's exit statuses.
enum ExitStatus : int {
  // The main window was closed, or a later start brought the running one forward.
  kExitOk = 0,
  // The main window could not be built (the skin is missing or broken).
  kExitNoMainWindow = 1,
  // Bad arguments, or a file named on the command line that cannot be read or written.
  kExitUsage = 2,
};

// The command line read: run with the options, or print `text` (the help, the version, or what
// is wrong with the arguments) and end with `exitStatus`.
struct CommandLineResult {
  enum class Action { kRun, kPrint, kFail };

  Action action = Action::kRun;
  LaunchOptions options;
  QString text;
  int exitStatus = kExitOk;
};

// Reads keyloom's arguments (the program name first): --simulate, --config FILE, --data-dir DIR,
// --trace, --screenshot FILE, --screenshot-dialog KEY FILE, --screenshot-dialog-page N, --help
// (-h), --version. Reads no file and needs no display, so
// that --help and --version work everywhere. Of an option given twice, the last one counts.
[[nodiscard]] CommandLineResult ParseCommandLine(const QStringList& arguments);

}  // namespace keyloom::app

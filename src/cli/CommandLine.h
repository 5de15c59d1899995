#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace keyloom::hid {
class HidBackend;
}

namespace keyloom::protocol {
class Clock;
}

namespace keyloom::cli {

// keyloomctl's exit statuses.
enum ExitStatus : int {
  kExitOk = 0,
  kExitNoKeyboard = 1,  // the keyboard is absent or cannot be opened
  kExitUsage = 2,       // bad arguments, or files named on the command line that cannot be
                        // read or written
  kExitNotDone = 3,     // no room on the keyboard, declined, a user file not saved, or the
                        // keyboard did not take the change
};

struct GlobalOptions {
  bool simulate = false;
  bool trace = false;
  bool json = false;
  bool verbose = false;
  std::optional<std::filesystem::path> configFile;
  std::optional<std::filesystem::path> dataDir;
};

// Where keyloomctl reads and writes. `interactive` says whether `in` is a terminal that may be
// asked a question, `progress` whether `err` is a terminal that shows a long command's
// progress. Tests replace the real pauses with `clock` and the machine's HID interfaces
// with `systemBackend`; null means the real ones.
struct Console {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool interactive = false;
  protocol::Clock* clock = nullptr;
  hid::HidBackend* systemBackend = nullptr;
  bool progress = false;
  // Where --trace and --verbose write their lines; null: `err`.
  std::ostream* diagnostics = nullptr;
};

// Runs keyloomctl with the arguments that follow the program name and returns its exit status.
// With --json, a command that fails prints on standard output one JSON object with what it told
// on standard error (which it still tells there), the status and what it printed before, if
// anything (see docs/keyloomctl-json.md).
int Run(const std::vector<std::string>& args, Console& console);

}  // namespace keyloom::cli

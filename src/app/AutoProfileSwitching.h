#pragma once

#include <QSocketNotifier>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "autoprofile/AutoProfileFile.h"
#include "autoprofile/FocusSwitcher.h"
#include "autoprofile/FocusWatcher.h"
#include "protocol/Clock.h"

namespace keyloom::app {

// Profiles that follow the application, in the event loop: the focus watcher's descriptor wakes
// the loop only when the focus changes; once it has settled, the rules file is read again when it
// changed (keyloomctl and the rules page edit it), and the keyboard switches through `select`,
// which is the window's own profile selection. Nothing is decided while a modal dialog is open
// (the key assignment dialog works on the profile it was opened for): the decision waits until
// it has closed. Where the focus cannot be watched, or only partly, the user is told once, when
// switching is on.
class AutoProfileSwitching {
 public:
  static constexpr const char* kRulesPartlyReadText =
      "Some rules for profiles that follow the application could not be read and were left out.";
  static constexpr const char* kRulesKeptAsideText = "A file could not be read; it was kept aside.";
  static constexpr const char* kRulesLeftInPlaceText =
      "A file could not be read; nothing is saved over it.";

  struct Hooks {
    // The profile number (1-3) selected last.
    std::function<int()> selectedProfile;
    // Selects a profile number (1-3) as a pick in the window's profile list does.
    std::function<void(int profile)> select;
    // Whether a modal dialog is open.
    std::function<bool()> busy;
    // Shows a message of the program (translated).
    std::function<void(const char* text)> tell;
    // One line per settled focus change, for --trace; empty: none.
    std::function<void(std::string_view line)> trace;
    // A line for the terminal.
    std::function<void(std::string_view line)> note;
  };

  AutoProfileSwitching(autoprofile::FocusWatch watch, std::filesystem::path rulesFile,
                       const protocol::Clock& clock, Hooks hooks);

  AutoProfileSwitching(const AutoProfileSwitching&) = delete;
  AutoProfileSwitching& operator=(const AutoProfileSwitching&) = delete;

  // The open windows of the display, for the rules page to pick an application from; none where
  // the focus is not watched.
  [[nodiscard]] std::vector<autoprofile::FocusedWindow> Windows() const;
  // Why the focus cannot be watched here, or only in part; none when all is well.
  [[nodiscard]] const std::optional<autoprofile::FocusWatchLimit>& Limit() const { return limit_; }

 private:
  void TakeEvents();
  void Settle();
  void ReadRules();
  void Trace(std::string_view line) const;

  std::unique_ptr<autoprofile::FocusWatcher> watcher_;
  std::optional<autoprofile::FocusWatchLimit> limit_;
  autoprofile::AutoProfileFile file_;
  autoprofile::FocusSwitcher switcher_;
  Hooks hooks_;
  std::unique_ptr<QSocketNotifier> notifier_;
  QTimer settleTimer_;
  // The last problem of the rules file the user was told of, so that it is told once.
  std::string toldProblem_;
};

}  // namespace keyloom::app

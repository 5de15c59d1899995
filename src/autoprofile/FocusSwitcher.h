#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "autoprofile/AutoProfileRules.h"
#include "autoprofile/FocusedWindow.h"
#include "protocol/Clock.h"

namespace keyloom::autoprofile {

// What to do once the focus has settled.
struct FocusDecision {
  enum class Kind {
    kNothingPending,   // no focus change since the last decision
    kWait,             // the focus changed less than the settle time ago: ask again after `wait`
    kOwnWindow,        // one of the program's own windows: it changes nothing
    kSameApplication,  // another window of the application that had the focus
    kSwitchingOff,     // the rules are off
    kLeftAsItIs,       // no rule matches and there is no default profile
    kAlreadySelected,  // the wanted profile is the one selected last
    kSelect,           // select `profile`
  };
  Kind kind = Kind::kNothingPending;
  FocusedWindow window;
  int profile = 0;  // 1-3, for kAlreadySelected and kSelect
  std::chrono::milliseconds wait{0};
};

// Decides when the keyboard's profile follows the focus, and to which profile. A focus change
// settles once no other one has come for the settle time, so that Alt+Tab through five windows
// decides once, on the last. A settled change decides something only when the focus went to
// another application; then the rules say which profile it wants, and it is selected only when
// it is not the one selected last. So a profile that the user picked by hand holds until the
// focus next goes to another application, and a look at the program's own window changes
// nothing (its windows do not count as an application at all).
class FocusSwitcher {
 public:
  static constexpr std::chrono::milliseconds kSettleTime{300};

  explicit FocusSwitcher(const protocol::Clock& clock,
                         std::chrono::milliseconds settleTime = kSettleTime);

  // The display says that `window` has the focus now. Answers how long to wait before Settle.
  std::chrono::milliseconds FocusChanged(const FocusedWindow& window);

  // After the wait: the decision on the focus as it is now. `selectedProfile` is the profile
  // number (1-3) selected last, by hand or by a rule; anything else counts as none.
  FocusDecision Settle(const AutoProfileRules& rules, int selectedProfile);

 private:
  const protocol::Clock& clock_;
  std::chrono::milliseconds settleTime_;
  std::optional<FocusedWindow> pending_;
  std::int64_t changedAtMs_ = 0;
  // The application that had the focus at the last settled change.
  std::optional<FocusedWindow> application_;
};

// One line for the trace and the terminal: `focus "instance" "class" "executable": what`, or
// `focus none: what`, the names with their control characters, quotes and backslashes escaped.
[[nodiscard]] std::string DescribeDecision(const FocusDecision& decision);

}  // namespace keyloom::autoprofile

#include <cstdlib>

#include "autoprofile/FocusWatcher.h"

namespace keyloom::autoprofile {

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

FocusEnvironment FocusEnvironment::OfProcess() {
  return {Variable("DISPLAY"), Variable("WAYLAND_DISPLAY"), Variable("XDG_SESSION_TYPE")};
}

bool FocusEnvironment::IsWaylandSession() const {
  return !waylandDisplay.empty() || sessionType == "wayland";
}

const char* FocusWatchLimitText(FocusWatchLimit limit) {
  switch (limit) {
    case FocusWatchLimit::kNoDisplay:
      return "Profiles cannot follow the application here: there is no X display to watch.";
    case FocusWatchLimit::kWaylandOnly:
      return "Profiles cannot follow the application in this Wayland session: Wayland does not "
             "tell other programs which window has the focus, and there is no X server "
             "(XWayland) to watch.";
    case FocusWatchLimit::kWaylandXOnly:
      return "In this Wayland session profiles follow only the programs that run through "
             "XWayland: Wayland does not tell other programs which of its own windows has the "
             "focus.";
    case FocusWatchLimit::kDisplayNotOpened:
      return "Profiles cannot follow the application here: the X display cannot be opened.";
    case FocusWatchLimit::kNotOnThisSystem:
      return "Profiles cannot follow the application on this system yet.";
  }
  return "";
}

}  // namespace keyloom::autoprofile

#include "autoprofile/FocusWatcher.h"

namespace keyloom::autoprofile {

// The Windows build has no watcher yet: the foreground window's changes would come from a
// WinEvent hook on the UI thread, not from a descriptor.
FocusWatch OpenFocusWatcher(const FocusEnvironment& /*environment*/) {
  return {nullptr, FocusWatchLimit::kNotOnThisSystem};
}

}  // namespace keyloom::autoprofile

#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "autoprofile/FocusedWindow.h"

namespace keyloom::autoprofile {

// Tells which window has the focus, for a program that waits for its descriptor in its own event
// loop: the descriptor becomes readable when the display has news, never otherwise, so a program
// that waits for it does not wake up while the focus stays where it is.
// X11 (and XWayland): the root window's _NET_ACTIVE_WINDOW property, which the window manager
// keeps, through property-change events on a connection of its own.
class FocusWatcher {
 public:
  virtual ~FocusWatcher() = default;

  // Non-blocking; readable while the display has news.
  [[nodiscard]] virtual int fd() const = 0;

  struct Events {
    bool focusChanged = false;  // the active window may be another one now
    bool lost = false;          // the display is gone: nothing will come any more
  };
  // Takes every pending event without waiting, including those that ActiveWindow's questions
  // left queued: call it again after ActiveWindow until it reports no change.
  virtual Events TakeEvents() = 0;

  // The window that has the focus now, asked of the display.
  [[nodiscard]] virtual FocusedWindow ActiveWindow() = 0;
  // The application windows that the window manager lists (_NET_CLIENT_LIST), oldest first;
  // empty without a window manager that keeps the list.
  [[nodiscard]] virtual std::vector<FocusedWindow> Windows() = 0;
};

// Why profiles cannot follow every application here.
enum class FocusWatchLimit {
  kNoDisplay,         // no X display, and no Wayland session either
  kWaylandOnly,       // a Wayland session without an X server (XWayland)
  kWaylandXOnly,      // a Wayland session: only its X programs (through XWayland) can be seen
  kDisplayNotOpened,  // the X display is named but cannot be opened
  kNotOnThisSystem,   // the system has no way to watch the focus that the program uses
};

// The environment that decides how the focus can be watched.
struct FocusEnvironment {
  std::string display;         // DISPLAY
  std::string waylandDisplay;  // WAYLAND_DISPLAY
  std::string sessionType;     // XDG_SESSION_TYPE

  [[nodiscard]] static FocusEnvironment OfProcess();
  [[nodiscard]] bool IsWaylandSession() const;
};

struct FocusWatch {
  std::unique_ptr<FocusWatcher> watcher;  // null when the focus cannot be watched at all
  std::optional<FocusWatchLimit> limit;   // what the user should know; none when all is well
};

// Opens the platform's watcher on the display of `environment`.
FocusWatch OpenFocusWatcher(const FocusEnvironment& environment);

// What to tell the user of `limit`, in English; the window shows it translated.
[[nodiscard]] const char* FocusWatchLimitText(FocusWatchLimit limit);

}  // namespace keyloom::autoprofile

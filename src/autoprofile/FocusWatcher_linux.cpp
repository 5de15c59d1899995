#include <array>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <unistd.h>
#include <xcb/xcb.h>

#include "autoprofile/FocusWatcher.h"

namespace keyloom::autoprofile {

namespace {

// xcb hands out replies and events from malloc.
struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using XcbPtr = std::unique_ptr<T, FreeDeleter>;

struct ConnectionDeleter {
  void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
using Connection = std::unique_ptr<xcb_connection_t, ConnectionDeleter>;

// The longest WM_CLASS read, in 32-bit units; its two names are short.
constexpr std::uint32_t kClassLength = 256;
// The most windows of the window manager's list that are read, in 32-bit units.
constexpr std::uint32_t kMostClients = 4096;
constexpr std::uint8_t kFormat32 = 32;
// Bit 7 of an event's type says that another client sent it.
constexpr std::uint8_t kSentEventBit = 0x80;
// What the kernel adds to the link of a program whose file was replaced or removed.
constexpr std::string_view kDeletedSuffix = " (deleted)";

xcb_atom_t InternAtom(xcb_connection_t* c, std::string_view name) {
  const xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.data());
  const XcbPtr<xcb_intern_atom_reply_t> reply{xcb_intern_atom_reply(c, cookie, nullptr)};
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The property's value, whatever its type; null when the window or the property is not there.
XcbPtr<xcb_get_property_reply_t> GetProperty(xcb_connection_t* c, xcb_window_t window,
                                             xcb_atom_t property, std::uint32_t length) {
  const xcb_get_property_cookie_t cookie =
      xcb_get_property(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, length);
  xcb_generic_error_t* error = nullptr;
  XcbPtr<xcb_get_property_reply_t> reply{xcb_get_property_reply(c, cookie, &error)};
  const XcbPtr<xcb_generic_error_t> dropped{error};
  return reply;
}

// The first 32-bit value of a property (a window id, a process id); 0 when there is none.
std::uint32_t Cardinal(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
  const auto reply = GetProperty(c, window, property, 1);
  if (!reply || reply->format != kFormat32 || xcb_get_property_value_length(reply.get()) < 4) {
    return 0;
  }
  return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
}

// The file name of the process's program; empty when the system does not tell it (another
// user's process, one that has ended).
std::string ExecutableOf(std::uint32_t pid) {
  if (pid == 0) {
    return {};
  }
  std::error_code error;
  const std::filesystem::path link =
      std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
  if (error) {
    return {};
  }
  std::string name = link.filename().string();
  if (name.ends_with(kDeletedSuffix)) {
    name.resize(name.size() - kDeletedSuffix.size());
  }
  return name;
}

class X11FocusWatcher final : public FocusWatcher {
 public:
  X11FocusWatcher(Connection connection, xcb_window_t root)
      : c_(std::move(connection)),
        root_(root),
        activeWindow_(InternAtom(c_.get(), "_NET_ACTIVE_WINDOW")),
        pid_(InternAtom(c_.get(), "_NET_WM_PID")),
        clientList_(InternAtom(c_.get(), "_NET_CLIENT_LIST")) {
    const std::array<std::uint32_t, 1> mask{XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_change_window_attributes(c_.get(), root_, XCB_CW_EVENT_MASK, mask.data());
    xcb_flush(c_.get());
  }

  [[nodiscard]] int fd() const override { return xcb_get_file_descriptor(c_.get()); }

  Events TakeEvents() override {
    Events events;
    while (const XcbPtr<xcb_generic_event_t> event{xcb_poll_for_event(c_.get())}) {
      if ((event->response_type & ~kSentEventBit) != XCB_PROPERTY_NOTIFY) {
        continue;
      }
      const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event.get());
      if (change->window == root_ && change->atom == activeWindow_) {
        events.focusChanged = true;
      }
    }
    events.lost = xcb_connection_has_error(c_.get()) != 0;
    return events;
  }

  [[nodiscard]] FocusedWindow ActiveWindow() override {
    return Describe(Cardinal(c_.get(), root_, activeWindow_));
  }

  [[nodiscard]] std::vector<FocusedWindow> Windows() override {
    std::vector<FocusedWindow> windows;
    const auto list = GetProperty(c_.get(), root_, clientList_, kMostClients);
    if (!list || list->format != kFormat32) {
      return windows;
    }
    const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(list.get()));
    const auto count =
        static_cast<std::size_t>(xcb_get_property_value_length(list.get())) / sizeof(xcb_window_t);
    for (std::size_t index = 0; index < count; ++index) {
      windows.push_back(Describe(ids[index]));
    }
    return windows;
  }

 private:
  // The names and program of `window`; none for XCB_WINDOW_NONE.
  [[nodiscard]] FocusedWindow Describe(xcb_window_t window) {
    FocusedWindow focused;
    if (window == XCB_WINDOW_NONE) {
      return focused;
    }
    focused.none = false;
    if (const auto names = GetProperty(c_.get(), window, XCB_ATOM_WM_CLASS, kClassLength)) {
      // Two names, each ended by a NUL: "instance\0class\0".
      const std::string_view value(
          static_cast<const char*>(xcb_get_property_value(names.get())),
          static_cast<std::size_t>(xcb_get_property_value_length(names.get())));
      const std::size_t end = value.find('\0');
      focused.instance = std::string(value.substr(0, end));
      if (end != std::string_view::npos) {
        const std::string_view rest = value.substr(end + 1);
        focused.windowClass = std::string(rest.substr(0, rest.find('\0')));
      }
    }
    const std::uint32_t pid = Cardinal(c_.get(), window, pid_);
    focused.executable = ExecutableOf(pid);
    focused.ownProgram = pid != 0 && pid == static_cast<std::uint32_t>(getpid());
    return focused;
  }

  Connection c_;
  xcb_window_t root_;
  xcb_atom_t activeWindow_;
  xcb_atom_t pid_;
  xcb_atom_t clientList_;
};

}  // namespace

FocusWatch OpenFocusWatcher(const FocusEnvironment& environment) {
  const bool wayland = environment.IsWaylandSession();
  if (environment.display.empty()) {
    return {nullptr, wayland ? FocusWatchLimit::kWaylandOnly : FocusWatchLimit::kNoDisplay};
  }
  int screen = 0;
  Connection connection{xcb_connect(environment.display.c_str(), &screen)};
  if (xcb_connection_has_error(connection.get()) != 0) {
    return {nullptr, wayland ? FocusWatchLimit::kWaylandOnly : FocusWatchLimit::kDisplayNotOpened};
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection.get()));
  for (int i = 0; i < screen && screens.rem > 0; ++i) {
    xcb_screen_next(&screens);
  }
  if (screens.rem == 0) {
    return {nullptr, FocusWatchLimit::kDisplayNotOpened};
  }
  const xcb_window_t root = screens.data->root;
  FocusWatch watch{std::make_unique<X11FocusWatcher>(std::move(connection), root), std::nullopt};
  if (wayland) {
    watch.limit = FocusWatchLimit::kWaylandXOnly;
  }
  return watch;
}

}  // namespace keyloom::autoprofile

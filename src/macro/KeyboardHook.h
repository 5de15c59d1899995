#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "macro/IKeyboardHookListener.h"
#include "macro/KeyboardEventRecord.h"

namespace keyloom::macro {

// The program's system-wide keyboard hook: at most one installed at a time, and an ordered list
// of listeners (not owned) that are asked about every keyboard event. The platform supplies the
// calls that put the hook into the system and take it out, and feeds each event to Dispatch.
class KeyboardHook {
 public:
  struct SystemHook {
    // Installs the hook; true when it is in place afterwards.
    std::function<bool()> install;
    // Removes the installed hook; true when the system removed it.
    std::function<bool()> remove;
  };

  explicit KeyboardHook(SystemHook system) : system_(std::move(system)) {}

  // Installs the hook unless one is installed; true when a hook is installed afterwards.
  bool Install();
  // Removes the hook; true when one was installed and the system removed it.
  bool Remove();
  [[nodiscard]] bool IsInstalled() const { return installed_; }

  // Only while the hook is installed and for a real listener: appends it unless it is already
  // in the list. True when it is in the list afterwards.
  bool AddListener(IKeyboardHookListener* listener);
  // Only while the hook is installed: takes the listener out of the list.
  void RemoveListener(IKeyboardHookListener* listener);
  // Takes a listener that goes away out of the list, installed or not, so that the list never
  // keeps one that is gone.
  void ForgetListener(IKeyboardHookListener* listener);

  [[nodiscard]] const std::vector<IKeyboardHookListener*>& listeners() const { return listeners_; }

  // One keyboard event from the system: asks the listeners in list order until one answers true,
  // and answers whether one did (the event is then swallowed; otherwise the platform passes it
  // on). An event with a negative hook code is not the listeners' to act on: nobody is asked
  // and it passes on, as the system requires of every hook.
  bool Dispatch(int hookCode, std::uint32_t message, KeyboardEventRecord record);

 private:
  SystemHook system_;
  bool installed_ = false;
  std::vector<IKeyboardHookListener*> listeners_;
};

}  // namespace keyloom::macro

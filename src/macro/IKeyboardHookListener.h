#pragma once

#include <cstdint>

#include "macro/KeyboardEventRecord.h"

namespace keyloom::macro {

// Asked by the KeyboardHook about every keyboard event while the hook is installed.
class IKeyboardHookListener {
 public:
  virtual ~IKeyboardHookListener() = default;

  // `message` is one of the k...Message values (others may come); answers true when the event
  // is to be swallowed, so that no other program sees it.
  virtual bool OnKeyboardEvent(int& hookCode, std::uint32_t& message,
                               KeyboardEventRecord& record) = 0;
};

}  // namespace keyloom::macro

#pragma once

#include <cstdint>

namespace keyloom::ui {

// The state bits of a control, and the state indexes that pick the state of a skin.
enum WindowStateBit : std::uint32_t {
  kStateNormal = 0,
  kStateHover = 1U << 0,
  kStatePushed = 1U << 1,
  kStateChecked = 1U << 2,
  kStateDisabled = 1U << 3,
};

using WindowState = std::uint32_t;

// The four-state index of push buttons and backgrounds: 0 normal, 1 hover, 2 pushed,
// 3 disabled (disabled wins over pushed, pushed over hover).
[[nodiscard]] constexpr int StateIndex4(WindowState state) {
  if ((state & kStateDisabled) != 0) {
    return 3;
  }
  if ((state & kStatePushed) != 0) {
    return 2;
  }
  return (state & kStateHover) != 0 ? 1 : 0;
}

// The eight-state index of check-style controls: the four states, plus 4 when checked.
[[nodiscard]] constexpr int StateIndex8(WindowState state) {
  return StateIndex4(state) + ((state & kStateChecked) != 0 ? 4 : 0);
}

}  // namespace keyloom::ui

#include "controls/MouseKeyFlags.h"

namespace keyloom::controls {

std::uint32_t MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  std::uint32_t flags = 0;
  if (buttons.testFlag(Qt::LeftButton)) {
    flags |= kMkLButton;
  }
  if (buttons.testFlag(Qt::RightButton)) {
    flags |= kMkRButton;
  }
  if (buttons.testFlag(Qt::MiddleButton)) {
    flags |= kMkMButton;
  }
  if (modifiers.testFlag(Qt::ShiftModifier)) {
    flags |= kMkShift;
  }
  if (modifiers.testFlag(Qt::ControlModifier)) {
    flags |= kMkControl;
  }
  return flags;
}

}  // namespace keyloom::controls

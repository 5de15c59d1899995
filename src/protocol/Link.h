#pragma once

#include "hid/Transport.h"
#include "protocol/Clock.h"

namespace keyloom::protocol {

// What the command sequences talk through: the transport to the keyboard and the clock that
// paces the frames.
struct Link {
  hid::Transport& transport;
  Clock& clock;
};

}  // namespace keyloom::protocol

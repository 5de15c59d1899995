#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "FakeTransport.h"
#include "protocol/Link.h"
#include "protocol/TracingClock.h"
#include "protocol/TracingTransport.h"
#include "protocol/VirtualClock.h"

namespace keyloom::protocol::testing {

// The fake transport and a virtual clock, both traced into one list of lines, so a test sees
// every frame and every pause in the order they happened.
class ProtocolFixture {
 protected:
  void Note(std::string_view line) { trace.emplace_back(line); }

  FakeTransport transport;
  VirtualClock clock;
  std::vector<std::string> trace;
  TracingTransport tracingTransport{transport, [this](std::string_view line) { Note(line); }};
  TracingClock tracingClock{clock, [this](std::string_view line) { Note(line); }};
  Link link{tracingTransport, tracingClock};
};

// The lines of one slot read whose four reads all fail.
inline std::vector<std::string> FailedSlotReadTrace() {
  return {"pause 50",
          "set 07fb010000000000 ok",
          "pause 10",
          "pause 10",
          "get 0700000000000000 fail",
          "pause 10",
          "get 0700000000000000 fail",
          "pause 10",
          "get 0700000000000000 fail",
          "pause 10",
          "get 0700000000000000 fail"};
}

}  // namespace keyloom::protocol::testing

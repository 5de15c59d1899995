#pragma once

#include <functional>
#include <string_view>

namespace keyloom::protocol {

// Receives one line per transfer or pause ("set 07fc010000000000 ok", "get ... fail",
// "pause 50"), without a line break. TracingTransport and TracingClock share one sink, so the
// lines come in the order the events happened.
using TransferTraceSink = std::function<void(std::string_view line)>;

}  // namespace keyloom::protocol

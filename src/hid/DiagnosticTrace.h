#pragma once

#include <functional>
#include <string_view>

namespace keyloom::hid {

// Receives the diagnostic lines of discovery and of the transport ("open dev: 00000003"), one
// line per call, without the line break. An empty function drops them.
using DiagnosticTrace = std::function<void(std::string_view line)>;

}  // namespace keyloom::hid

#pragma once

#include <functional>
#include <string_view>

namespace keyloom::ui {

// Receives the toolkit's diagnostic lines (failed lookups, layout problems), one line per call,
// without the line break.
using TraceSink = std::function<void(std::string_view line)>;

// Writes one line through the current sink; by default to standard output, one line each.
void Trace(std::string_view line);

// Makes `sink` the current sink (an empty function restores standard output) and answers the
// previous one, so that a test can capture the lines and put the old sink back.
TraceSink SetTraceSink(TraceSink sink);

}  // namespace keyloom::ui

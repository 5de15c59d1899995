#include "ui/events/UiTrace.h"

#include <cstdio>
#include <utility>

namespace keyloom::ui {

namespace {

TraceSink& CurrentSink() {
  static TraceSink sink;
  return sink;
}

}  // namespace

void Trace(std::string_view line) {
  if (const TraceSink& sink = CurrentSink()) {
    sink(line);
    return;
  }
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

TraceSink SetTraceSink(TraceSink sink) {
  return std::exchange(CurrentSink(), std::move(sink));
}

}  // namespace keyloom::ui

#include "ui/events/LookupTrace.h"

#include <string>

#include "ui/events/UiTrace.h"

namespace keyloom::ui {

namespace {

void TraceFailedLookup(std::string_view lookup, std::string_view className, const std::string& what,
                       int depth) {
  std::string line(lookup);
  line += " Failed, no window of class [";
  line += className;
  line += "] with ";
  line += what;
  line += " was found within [" + std::to_string(depth) + "] levels";
  Trace(line);
}

}  // namespace

void TraceFailedLookupByName(std::string_view className, const QString& name, int depth) {
  TraceFailedLookup("FindChildByName2", className, "name of [" + name.toStdString() + "]", depth);
}

void TraceFailedLookupById(std::string_view className, int id, int depth) {
  TraceFailedLookup("FindChildByID2", className, "id of [" + std::to_string(id) + "]", depth);
}

}  // namespace keyloom::ui

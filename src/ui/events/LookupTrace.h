#pragma once

#include <QString>
#include <string_view>

namespace keyloom::ui {

// The traces of a failed class-checked lookup, written through the trace sink:
// "FindChildByName2 Failed, no window of class [%s] with name of [%s] was found within [%d] levels"
void TraceFailedLookupByName(std::string_view className, const QString& name, int depth);
// "FindChildByID2 Failed, no window of class [%s] with id of [%d] was found within [%d] levels"
void TraceFailedLookupById(std::string_view className, int id, int depth);

}  // namespace keyloom::ui

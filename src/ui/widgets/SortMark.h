#pragma once

namespace keyloom::ui {

// The sort mark a column header of a multi-column list view shows.
enum class SortMark { kNone, kAscending, kDescending };

}  // namespace keyloom::ui

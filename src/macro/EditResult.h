#pragma once

#include "macro/FileResult.h"

namespace keyloom::macro {

// The outcome of an edit of the macro library that saves the library after it: whether the
// edit was made (in memory), and how the save went. Without a change nothing is saved and
// `saved` is ok.
struct EditResult {
  bool changed = false;
  FileResult saved;
};

}  // namespace keyloom::macro

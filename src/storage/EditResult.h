#pragma once

#include "storage/FileResult.h"
#include "storage/OpenReport.h"

namespace keyloom::storage {

// The outcome of an edit of the macro library that saves the library after it: whether the
// edit was made (in memory), and how the save went. Without a change nothing is saved and
// `saved` is ok.
struct EditResult {
  bool changed = false;
  FileResult saved;
  // The library file had changed on disk and was read again before the edit; every node of the
  // library was replaced.
  bool reloaded = false;
  // What reading it again found when it was not read whole (a broken file kept aside, groups
  // left out).
  OpenReport reread;
};

}  // namespace keyloom::storage

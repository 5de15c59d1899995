#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace keyloom::storage {

// What reading a library or store file found. Only kLoaded changed the object that read it.
struct LoadResult {
  enum class Status {
    kLoaded,
    kMissing,     // no file of that name: the object keeps what it held
    kUnreadable,  // the file exists but could not be opened or read (no permission, an I/O
                  // error): it may be whole, so it is left where it is and never written over
    kUnusable,    // not a regular file (a folder, a device), or larger than the program reads
    kMalformed,   // the file was read but is not well-formed XML
  };

  Status status = Status::kMissing;
  // Why the file was not loaded, for kUnreadable, kUnusable and kMalformed; naming the file when
  // there is one.
  std::string error;
  // What a library file held that the library leaves out, so that the next save drops it:
  // `items` elements without a "name" (with their events), and the elements at the top other
  // than the first `group` (a second `group`, or a first element of another name), whose names
  // are listed in `leftOutElements`.
  std::size_t skippedGroups = 0;
  std::vector<std::string> leftOutElements;

  [[nodiscard]] bool ok() const { return status == Status::kLoaded; }
  // Loaded, but not everything in the file made it into the library.
  [[nodiscard]] bool partlyRead() const {
    return ok() && (skippedGroups > 0 || !leftOutElements.empty());
  }
};

}  // namespace keyloom::storage

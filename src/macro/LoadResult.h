#pragma once

#include <cstddef>
#include <string>

namespace keyloom::macro {

// What reading a library or store file found. Only kLoaded changed the object that read it.
struct LoadResult {
  enum class Status {
    kLoaded,
    kMissing,     // no file of that name: the object keeps what it held
    kUnreadable,  // the file exists but could not be read (a folder, no permission, too large)
    kMalformed,   // the file was read but is not well-formed XML
  };

  Status status = Status::kMissing;
  // Why the file was not loaded, for kUnreadable and kMalformed; naming the file when there is
  // one.
  std::string error;
  // `items` elements of a library that carried no "name" and were left out with their events.
  std::size_t skippedGroups = 0;

  [[nodiscard]] bool ok() const { return status == Status::kLoaded; }
};

}  // namespace keyloom::macro

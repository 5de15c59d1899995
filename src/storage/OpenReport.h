#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace keyloom::storage {

// What opening one of the user's own files ("macro.xml", "store.xml") found, for the user to
// hear about. A file that exists but cannot be read is never written over: it is moved aside
// first, and the program goes on with an empty library or the default choices.
struct OpenReport {
  // Where the file that could not be read now lies, untouched.
  std::optional<std::filesystem::path> keptAs;
  // Empty when the file was read or did not exist. Otherwise why it could not be read, where it
  // was kept, or that it could not be moved aside either, in which case nothing is saved over it.
  std::string problem;

  [[nodiscard]] bool ok() const { return problem.empty(); }
};

}  // namespace keyloom::storage

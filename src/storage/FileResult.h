#pragma once

#include <string>
#include <utility>

namespace keyloom::storage {

// The outcome of writing, copying or moving one of the user's files: nothing when it worked,
// otherwise a sentence for the user that names the file and the reason.
class FileResult {
 public:
  FileResult() = default;

  [[nodiscard]] static FileResult Failed(std::string error) {
    FileResult result;
    result.error_ = std::move(error);
    return result;
  }

  [[nodiscard]] bool ok() const { return error_.empty(); }
  [[nodiscard]] const std::string& error() const { return error_; }

 private:
  std::string error_;
};

}  // namespace keyloom::storage

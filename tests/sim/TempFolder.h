#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace keyloom::sim::testing {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
// The folder is new: a name that another test (another process, as ctest runs them side by side)
// made already is not taken.
class TempFolder {
 public:
  TempFolder() {
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::filesystem::path candidate =
          base / ("keyloom-sim-test-" + std::to_string(random()) + std::to_string(random()));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error)) {
        path_ = candidate;
      }
    }
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  [[nodiscard]] const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace keyloom::sim::testing

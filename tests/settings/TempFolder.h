#pragma once

#include <filesystem>
#include <string_view>

namespace keyloom::settings::test {

// A fresh, empty folder under the system's temporary folder, removed with everything in it when
// the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  [[nodiscard]] const std::filesystem::path& Path() const { return path_; }

  // Writes the bytes to a file of that name in the folder and returns its path.
  std::filesystem::path Write(std::string_view fileName, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

}  // namespace keyloom::settings::test

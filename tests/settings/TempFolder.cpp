#include "TempFolder.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

#include <gtest/gtest.h>

namespace keyloom::settings::test {

TempFolder::TempFolder() {
  std::random_device random;
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const std::filesystem::path candidate = base / ("keyloom-test-" + std::to_string(random()));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = candidate;
    }
  }
  if (path_.empty()) {
    ADD_FAILURE() << "no temporary folder could be created under " << base;
  }
}

TempFolder::~TempFolder() {
  if (!path_.empty()) {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
}

std::filesystem::path TempFolder::Write(std::string_view fileName, std::string_view bytes) const {
  const std::filesystem::path file = path_ / std::filesystem::path(fileName);
  std::ofstream stream(file, std::ios::binary | std::ios::trunc);
  stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  stream.close();
  if (!stream) {
    ADD_FAILURE() << "could not write " << file;
  }
  return file;
}

}  // namespace keyloom::settings::test

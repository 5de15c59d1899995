#include "settings/AppPaths.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace keyloom::settings {

namespace {

bool HoldsConfigFile(const std::filesystem::path& folder) {
  if (folder.empty()) {
    return false;
  }
  std::error_code error;
  return std::filesystem::is_regular_file(folder / PathFromUtf8(kConfigFileName), error);
}

}  // namespace

std::filesystem::path PathFromUtf8(std::string_view text) {
  return {std::u8string(text.begin(), text.end())};
}

std::filesystem::path DataDirFor(const std::filesystem::path& exeDir,
                                 const std::filesystem::path& installedDataDir) {
  return HoldsConfigFile(exeDir) ? exeDir : installedDataDir;
}

std::filesystem::path UserDataDirFor(const std::filesystem::path& exeDir,
                                     const std::filesystem::path& perUserDir) {
  return HoldsConfigFile(exeDir) && IsWritableFolder(exeDir) ? exeDir : perUserDir;
}

std::filesystem::path DataDir() {
  static const std::filesystem::path folder =
      DataDirFor(ExecutableDir(), PathFromUtf8(KEYLOOM_INSTALL_DATADIR));
  return folder;
}

std::filesystem::path UserDataDir() {
  static const std::filesystem::path folder = UserDataDirFor(ExecutableDir(), PerUserDataDir());
  if (!folder.empty()) {
    // A failure shows when the first file is written there, where it can be reported.
    std::error_code error;
    std::filesystem::create_directories(folder, error);
  }
  return folder;
}

}  // namespace keyloom::settings

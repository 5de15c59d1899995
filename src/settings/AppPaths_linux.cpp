#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include "settings/AppPaths.h"

namespace keyloom::settings {

namespace {

constexpr const char* kSelfExecutableLink = "/proc/self/exe";
constexpr std::string_view kConfigHomeVariable = "XDG_CONFIG_HOME";
constexpr std::string_view kHomeVariable = "HOME";
constexpr std::string_view kDefaultConfigFolder = ".config";

// Used when the system does not say how large a password entry may get.
constexpr std::size_t kFallbackPasswordBufferSize = 16384;

std::filesystem::path FromProcessEnvironment(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  return value != nullptr ? std::filesystem::path(value) : std::filesystem::path();
}

std::filesystem::path AccountHomeDir() {
  const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested)
                                         : kFallbackPasswordBufferSize);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr || found->pw_dir == nullptr) {
    return {};
  }
  return found->pw_dir;
}

}  // namespace

std::filesystem::path ExecutableDir() {
  std::error_code error;
  const std::filesystem::path executable =
      std::filesystem::read_symlink(kSelfExecutableLink, error);
  return error ? std::filesystem::path() : executable.parent_path();
}

std::filesystem::path PerUserDataDirFor(const EnvironmentLookup& environment) {
  // Relative values are invalid for these variables and are ignored, as other programs do.
  const std::filesystem::path configHome = environment(kConfigHomeVariable);
  if (configHome.is_absolute()) {
    return configHome / kProgramFolderName;
  }
  const std::filesystem::path home = environment(kHomeVariable);
  if (home.is_absolute()) {
    return home / kDefaultConfigFolder / kProgramFolderName;
  }
  return {};
}

std::filesystem::path PerUserDataDir() {
  return PerUserDataDirFor([](std::string_view name) {
    std::filesystem::path value = FromProcessEnvironment(name);
    if (name == kHomeVariable && !value.is_absolute()) {
      value = AccountHomeDir();
    }
    return value;
  });
}

bool IsWritableFolder(const std::filesystem::path& folder) {
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    return false;
  }
  // Checked with the effective ids, as creating a file would be; a read-only mount answers
  // EROFS even for root.
  return faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

}  // namespace keyloom::settings

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include <windows.h>

#include "settings/AppPaths.h"

namespace keyloom::settings {

namespace {

constexpr std::string_view kAppDataVariable = "APPDATA";

// Long paths may exceed MAX_PATH; the buffer doubles up to the longest path the system allows.
constexpr DWORD kFirstModuleNameSize = 1024;
constexpr DWORD kLongestModuleNameSize = 32768;

// Created and deleted at once by IsWritableFolder; the process id keeps two processes apart.
constexpr std::wstring_view kProbeFilePrefix = L".keyloom-write-probe-";

std::filesystem::path FromProcessEnvironment(std::string_view name) {
  const std::wstring wideName(name.begin(), name.end());
  const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) {
    return {};
  }
  std::wstring value(size, L'\0');
  const DWORD written = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
  if (written == 0 || written >= size) {
    return {};
  }
  value.resize(written);
  return value;
}

}  // namespace

std::filesystem::path ExecutableDir() {
  for (DWORD size = kFirstModuleNameSize; size <= kLongestModuleNameSize; size *= 2) {
    std::wstring name(size, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), size);
    if (length == 0) {
      return {};
    }
    // A name that fills the whole buffer was cut short.
    if (length < size) {
      name.resize(length);
      return std::filesystem::path(name).parent_path();
    }
  }
  return {};
}

namespace {

// A drive path (C:\Users\ann\AppData\Roaming) or the network path of a roaming profile
// (\\server\profiles\ann), which MinGW's library does not count as absolute.
bool IsAbsoluteWindowsPath(const std::filesystem::path& path) {
  const std::wstring& text = path.native();
  const auto isSeparator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  if (text.size() >= 2 && isSeparator(text[0]) && isSeparator(text[1])) {
    return true;
  }
  return path.is_absolute();
}

}  // namespace

std::filesystem::path PerUserDataDirFor(const EnvironmentLookup& environment) {
  const std::filesystem::path appData = environment(kAppDataVariable);
  if (IsAbsoluteWindowsPath(appData)) {
    return appData / kProgramFolderName;
  }
  return {};
}

std::filesystem::path PerUserDataDir() {
  return PerUserDataDirFor(FromProcessEnvironment);
}

bool IsWritableFolder(const std::filesystem::path& folder) {
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    return false;
  }
  // Access rights on Windows are lists that no attribute check reads correctly; creating a file
  // answers the question directly. The system deletes the file when the handle closes.
  const std::filesystem::path probe =
      folder / (std::wstring(kProbeFilePrefix) + std::to_wstring(GetCurrentProcessId()));
  const HANDLE file = CreateFileW(
      probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  CloseHandle(file);
  return true;
}

}  // namespace keyloom::settings

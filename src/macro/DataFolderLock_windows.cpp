#include <string>

#include <windows.h>

#include "macro/DataFolderLock.h"
#include "macro/UserFilesPlatform.h"

namespace keyloom::macro {

namespace {

HANDLE Native(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

// The reason of the failed call just made, which the message names.
FileResult LockFailed(const std::filesystem::path& file) {
  return FileResult::Failed("cannot lock the data folder (" + file.string() +
                            "): " + platform::LastErrorReason());
}

}  // namespace

DataFolderLock::DataFolderLock(const std::filesystem::path& folder) {
  const std::filesystem::path file =
      (folder.empty() ? std::filesystem::path(".") : folder) / kDataFolderLockFileName;
  const auto share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  // A lock file that this user may only read locks as well.
  if (handle == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED) {
    handle = ::CreateFileW(file.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (handle == INVALID_HANDLE_VALUE) {
    result_ = LockFailed(file);
    return;
  }
  OVERLAPPED whole{};
  if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
    result_ = LockFailed(file);
    ::CloseHandle(handle);
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(handle);
}

DataFolderLock::~DataFolderLock() {
  if (handle_ != kNoHandle) {
    OVERLAPPED whole{};
    ::UnlockFileEx(Native(handle_), 0, MAXDWORD, MAXDWORD, &whole);
    ::CloseHandle(Native(handle_));
  }
}

}  // namespace keyloom::macro

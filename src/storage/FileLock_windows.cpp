#include <string>

#include <windows.h>

#include "storage/FileLock.h"
#include "storage/UserFilesPlatform.h"

namespace keyloom::storage {

namespace {

HANDLE Native(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

FileLock::FileLock(const std::filesystem::path& file, const std::string& what) {
  const auto failed = [&what] {
    return FileResult::Failed("cannot lock " + what + ": " + platform::LastErrorReason());
  };
  const auto share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED) {
    handle = ::CreateFileW(file.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (handle == INVALID_HANDLE_VALUE) {
    result_ = failed();
    return;
  }
  OVERLAPPED whole{};
  if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
    result_ = failed();
    ::CloseHandle(handle);
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(handle);
}

FileLock::~FileLock() {
  if (handle_ != kNoHandle) {
    OVERLAPPED whole{};
    ::UnlockFileEx(Native(handle_), 0, MAXDWORD, MAXDWORD, &whole);
    ::CloseHandle(Native(handle_));
  }
}

}  // namespace keyloom::storage

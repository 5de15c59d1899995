#include <windows.h>

#include "sim/FileLock.h"

namespace keyloom::sim {

namespace {

HANDLE Native(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

FileLock::FileLock(const std::filesystem::path& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    handle_ = reinterpret_cast<std::intptr_t>(file);
  }
}

FileLock::~FileLock() {
  if (usable()) {
    CloseHandle(Native(handle_));
  }
}

void FileLock::Lock() {
  if (usable()) {
    OVERLAPPED whole{};
    LockFileEx(Native(handle_), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole);
  }
}

void FileLock::Unlock() {
  if (usable()) {
    OVERLAPPED whole{};
    UnlockFileEx(Native(handle_), 0, MAXDWORD, MAXDWORD, &whole);
  }
}

}  // namespace keyloom::sim

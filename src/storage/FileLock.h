#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "storage/FileResult.h"

namespace keyloom::storage {

// An exclusive lock of one file, shared by every process that locks the same file: flock on
// Linux, LockFileEx on Windows. The file is created when missing and never removed; a file that
// this user may only read locks as well. The system lets the lock go when the process ends,
// however it ends.
//
// Not reentrant: a process that holds it and locks the same file again waits for ever.
class FileLock {
 public:
  // Waits, without a time-out, until this object holds the lock of `file`. When it cannot,
  // result() says why ("cannot lock <what>: <reason>") and nothing is held.
  FileLock(const std::filesystem::path& file, const std::string& what);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  [[nodiscard]] const FileResult& result() const { return result_; }
  [[nodiscard]] bool held() const { return result_.ok(); }

 private:
  static constexpr std::intptr_t kNoHandle = -1;

  std::intptr_t handle_ = kNoHandle;  // a file descriptor or a HANDLE
  FileResult result_;
};

}  // namespace keyloom::storage

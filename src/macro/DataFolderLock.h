#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "macro/FileResult.h"

namespace keyloom::macro {

// The lock file in the user's data folder.
inline constexpr std::string_view kDataFolderLockFileName = ".keyloom.lock";

// The lock of the user's data folder, which every read-modify-write of the user's files
// ("macro.xml", "store.xml") holds in both programs, so that no process writes back what it read
// before another one's change: an exclusive lock of the file kDataFolderLockFileName in the
// folder (flock on Linux, LockFileEx on Windows), created when missing and never removed. The
// system lets it go when the process ends, however it ends.
//
// Not reentrant: a process that holds it and locks the same folder again waits for ever.
class DataFolderLock {
 public:
  // Waits, without a time-out, until this object holds the lock of `folder` (empty: the current
  // folder). When it cannot, result() says why and nothing is held.
  explicit DataFolderLock(const std::filesystem::path& folder);
  ~DataFolderLock();
  DataFolderLock(const DataFolderLock&) = delete;
  DataFolderLock& operator=(const DataFolderLock&) = delete;

  [[nodiscard]] const FileResult& result() const { return result_; }
  [[nodiscard]] bool held() const { return result_.ok(); }

 private:
  static constexpr std::intptr_t kNoHandle = -1;

  std::intptr_t handle_ = kNoHandle;  // a file descriptor or a HANDLE
  FileResult result_;
};

}  // namespace keyloom::macro

#pragma once

#include <filesystem>
#include <string_view>

#include "storage/FileLock.h"

namespace keyloom::storage {

// The lock file in the user's data folder.
inline constexpr std::string_view kDataFolderLockFileName = ".keyloom.lock";

// The lock of the user's data folder, which every read-modify-write of the user's files
// ("macro.xml", "store.xml", the key map) holds in both programs, so that no process writes back
// what it read before another one's change: the FileLock of kDataFolderLockFileName in the
// folder.
class DataFolderLock : public FileLock {
 public:
  // Waits until this object holds the lock of `folder` (empty: the current folder).
  explicit DataFolderLock(const std::filesystem::path& folder);
};

}  // namespace keyloom::storage

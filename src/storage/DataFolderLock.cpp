#include "storage/DataFolderLock.h"

namespace keyloom::storage {

namespace {

std::filesystem::path LockFileOf(const std::filesystem::path& folder) {
  return (folder.empty() ? std::filesystem::path(".") : folder) / kDataFolderLockFileName;
}

}  // namespace

DataFolderLock::DataFolderLock(const std::filesystem::path& folder)
    : FileLock(LockFileOf(folder), "the data folder (" + LockFileOf(folder).string() + ")") {}

}  // namespace keyloom::storage

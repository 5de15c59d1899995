#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "macro/DataFolderLock.h"
#include "macro/UserFilesPlatform.h"

namespace keyloom::macro {

namespace {

// The reason of the failed call just made, which the message names.
FileResult LockFailed(const std::filesystem::path& file) {
  return FileResult::Failed("cannot lock the data folder (" + file.string() +
                            "): " + platform::LastErrorReason());
}

}  // namespace

DataFolderLock::DataFolderLock(const std::filesystem::path& folder) {
  const std::filesystem::path file =
      (folder.empty() ? std::filesystem::path(".") : folder) / kDataFolderLockFileName;
  constexpr mode_t kLockFileMode = 0666;  // narrowed by the umask
  int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kLockFileMode);
  // A lock file that this user may only read locks as well.
  if (fd < 0 && errno == EACCES) {
    fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  }
  if (fd < 0) {
    result_ = LockFailed(file);
    return;
  }
  int locked = 0;
  while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
  }
  if (locked != 0) {
    result_ = LockFailed(file);
    ::close(fd);
    return;
  }
  handle_ = fd;
}

DataFolderLock::~DataFolderLock() {
  // Closing the only descriptor of the lock file lets the lock go.
  if (handle_ != kNoHandle) {
    ::close(static_cast<int>(handle_));
  }
}

}  // namespace keyloom::macro

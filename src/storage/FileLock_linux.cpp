#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "storage/FileLock.h"
#include "storage/UserFilesPlatform.h"

namespace keyloom::storage {

FileLock::FileLock(const std::filesystem::path& file, const std::string& what) {
  const auto failed = [&what] {
    return FileResult::Failed("cannot lock " + what + ": " + platform::LastErrorReason());
  };
  constexpr mode_t kLockFileMode = 0666;  // narrowed by the umask
  int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kLockFileMode);
  if (fd < 0 && errno == EACCES) {
    fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  }
  if (fd < 0) {
    result_ = failed();
    return;
  }
  int locked = 0;
  while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
  }
  if (locked != 0) {
    result_ = failed();
    ::close(fd);
    return;
  }
  handle_ = fd;
}

FileLock::~FileLock() {
  // Closing the only descriptor of the lock file lets the lock go.
  if (handle_ != kNoHandle) {
    ::close(static_cast<int>(handle_));
  }
}

}  // namespace keyloom::storage

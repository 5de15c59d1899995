#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "macro/UserFilesPlatform.h"

namespace keyloom::macro::platform {

namespace {

std::string Reason(int error) {
  return std::system_category().message(error);
}

// Writes everything, going on after a short write or an interrupted call.
bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

FileResult WriteNewFileDurably(const std::filesystem::path& file, std::string_view bytes,
                               const std::filesystem::path& permissionsFrom) {
  constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
  if (fd < 0) {
    return FileResult::Failed("cannot create " + file.string() + ": " + Reason(errno));
  }
  // A file the user made private stays private. Failing to copy the bits leaves the umask's,
  // which is no reason to refuse the save.
  struct stat old {};
  if (::stat(permissionsFrom.c_str(), &old) == 0) {
    ::fchmod(fd, old.st_mode & (S_IRWXU | S_IRWXG | S_IRWXO));
  }
  int error = 0;
  if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) {
    error = errno;
  }
  if (::close(fd) != 0 && error == 0) {
    error = errno;
  }
  if (error != 0) {
    ::unlink(file.c_str());
    return FileResult::Failed("cannot write " + file.string() + ": " + Reason(error));
  }
  return {};
}

FileResult MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) {
    return FileResult::Failed("cannot replace " + to.string() + ": " + Reason(errno));
  }
  return {};
}

RenameOutcome RenameWithoutReplacing(const std::filesystem::path& from,
                                     const std::filesystem::path& to, std::string& error) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return RenameOutcome::kDone;
  }
  if (errno == EEXIST) {
    return RenameOutcome::kTargetExists;
  }
  if (errno != EINVAL && errno != ENOSYS) {
    error = Reason(errno);
    return RenameOutcome::kFailed;
  }
  // The file system cannot rename without replacing (some network and FUSE file systems): check
  // first, which leaves only a short window to a file made by another program at the same moment.
  struct stat existing {};
  if (::lstat(to.c_str(), &existing) == 0) {
    return RenameOutcome::kTargetExists;
  }
  if (::rename(from.c_str(), to.c_str()) != 0) {
    error = Reason(errno);
    return RenameOutcome::kFailed;
  }
  return RenameOutcome::kDone;
}

}  // namespace keyloom::macro::platform

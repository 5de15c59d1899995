#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/UserFilesPlatform.h"

namespace keyloom::storage::platform {

namespace {

std::string Reason(int error) {
  if (error == ENOSPC) {
    return "no space left on the device";
  }
  std::string text = std::system_category().message(error);
  if (!text.empty() && text.front() >= 'A' && text.front() <= 'Z') {
    text.front() = static_cast<char>(text.front() - 'A' + 'a');
  }
  return text;
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

std::string LastErrorReason() {
  return Reason(errno);
}

bool ReadWholeFile(const std::filesystem::path& file, std::size_t limit, std::string& bytes,
                   std::string& error) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = Reason(errno);
    return false;
  }
  bytes.clear();
  // Room for the whole file and a byte more, so that the read after it finds the end without
  // growing the string; a file that grows meanwhile, or tells no size, is read in pieces.
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    bytes.reserve(std::min(static_cast<std::size_t>(info.st_size), limit) + 1);
  }
  constexpr std::size_t kPiece = 65536;
  int failure = 0;
  while (bytes.size() <= limit) {
    const std::size_t had = bytes.size();
    const std::size_t room = bytes.capacity() > had ? bytes.capacity() - had : kPiece;
    bytes.resize(had + room);
    const ssize_t got = ::read(fd, bytes.data() + had, room);
    if (got < 0 && errno == EINTR) {
      bytes.resize(had);
      continue;
    }
    if (got <= 0) {
      failure = got < 0 ? errno : 0;
      bytes.resize(had);
      break;
    }
    bytes.resize(had + static_cast<std::size_t>(got));
  }
  ::close(fd);
  if (failure != 0) {
    bytes.clear();
    error = Reason(failure);
    return false;
  }
  return true;
}

Outcome WriteNewFileDurably(const std::filesystem::path& file, std::string_view bytes,
                            const std::filesystem::path& permissionsFrom, std::string& error) {
  constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
  if (fd < 0) {
    if (errno == EEXIST) {
      return Outcome::kTargetExists;
    }
    error = "cannot create " + file.string() + ": " + Reason(errno);
    return Outcome::kFailed;
  }
  // A file the user made private stays private. Failing to copy the bits leaves the umask's,
  // which is no reason to refuse the save.
  struct stat old {};
  if (::stat(permissionsFrom.c_str(), &old) == 0) {
    ::fchmod(fd, old.st_mode & (S_IRWXU | S_IRWXG | S_IRWXO));
  }
  int failure = 0;
  if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) {
    failure = errno;
  }
  if (::close(fd) != 0 && failure == 0) {
    failure = errno;
  }
  if (failure != 0) {
    ::unlink(file.c_str());
    error = "cannot write " + file.string() + ": " + Reason(failure);
    return Outcome::kFailed;
  }
  return Outcome::kDone;
}

bool MayWriteFile(const std::filesystem::path& file, std::string& reason) {
  struct stat info {};
  if (::stat(file.c_str(), &info) == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    reason = "it is read-only";
    return false;
  }
  if (::access(file.c_str(), W_OK) != 0) {
    reason = Reason(errno);
    return false;
  }
  return true;
}

FileResult MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) {
    return FileResult::Failed("cannot replace " + to.string() + ": " + Reason(errno));
  }
  return {};
}

Outcome RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to,
                               std::string& error) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return Outcome::kDone;
  }
  if (errno == EEXIST) {
    return Outcome::kTargetExists;
  }
  if (errno != EINVAL && errno != ENOSYS) {
    error = Reason(errno);
    return Outcome::kFailed;
  }
  // The file system cannot rename without replacing (some network and FUSE file systems): check
  // first, which leaves only a short window to a file made by another program at the same moment.
  struct stat existing {};
  if (::lstat(to.c_str(), &existing) == 0) {
    return Outcome::kTargetExists;
  }
  if (::rename(from.c_str(), to.c_str()) != 0) {
    error = Reason(errno);
    return Outcome::kFailed;
  }
  return Outcome::kDone;
}

}  // namespace keyloom::storage::platform

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "sim/FileLock.h"

namespace keyloom::sim {

namespace {

int Descriptor(std::intptr_t handle) {
  return static_cast<int>(handle);
}

void FlockRetrying(int fd, int operation) {
  while (flock(fd, operation) != 0 && errno == EINTR) {
  }
}

}  // namespace

FileLock::FileLock(const std::filesystem::path& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd >= 0) {
    handle_ = fd;
  }
}

FileLock::~FileLock() {
  if (usable()) {
    close(Descriptor(handle_));
  }
}

void FileLock::Lock() {
  if (usable()) {
    FlockRetrying(Descriptor(handle_), LOCK_EX);
  }
}

void FileLock::Unlock() {
  if (usable()) {
    FlockRetrying(Descriptor(handle_), LOCK_UN);
  }
}

}  // namespace keyloom::sim

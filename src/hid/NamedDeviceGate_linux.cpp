#include "hid/NamedDeviceGate_linux.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace keyloom::hid {
namespace {

constexpr mode_t kLockFileMode = 0666;
constexpr const char* kLockFolder = "/run/lock";
constexpr const char* kFallbackLockFolder = "/tmp";

// Opens the lock file, creating it when it is missing. An existing file is opened without
// O_CREAT: in a sticky world-writable folder the kernel refuses O_CREAT on a file another user
// owns (fs.protected_regular), even though that user made it writable for everyone. flock works
// on a descriptor opened for reading only, which is the last resort when the file is not
// writable for us. -1 when the file cannot be opened at all.
int OpenLockFile(const std::filesystem::path& path) {
  for (;;) {
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && (errno == EACCES || errno == EPERM)) {
      fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd >= 0 || errno != ENOENT) {
      return fd;
    }
    fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, kLockFileMode);
    if (fd >= 0) {
      // The umask narrows the mode of a new file; other users must be able to open it. A failure
      // leaves the file usable by this user, so it is not an error.
      (void)fchmod(fd, kLockFileMode);
      return fd;
    }
    if (errno != EEXIST) {
      return -1;
    }
    // Another process created the file between the two opens: open that one.
  }
}

class NamedDeviceGate final : public DeviceGate {
 public:
  explicit NamedDeviceGate(const std::filesystem::path& path) : fd_(OpenLockFile(path)) {}
  ~NamedDeviceGate() override {
    if (fd_ >= 0) {
      close(fd_);
    }
  }

  NamedDeviceGate(const NamedDeviceGate&) = delete;
  NamedDeviceGate& operator=(const NamedDeviceGate&) = delete;

  void Pass() override {
    if (fd_ < 0) {
      return;
    }
    int result = 0;
    do {
      result = flock(fd_, LOCK_EX);
    } while (result < 0 && errno == EINTR);
    if (result == 0) {
      flock(fd_, LOCK_UN);
    }
  }

 private:
  int fd_;
};

std::filesystem::path DefaultLockFolder() {
  std::error_code error;
  if (std::filesystem::is_directory(kLockFolder, error)) {
    return kLockFolder;
  }
  return kFallbackLockFolder;
}

}  // namespace

std::unique_ptr<DeviceGate> MakeNamedDeviceGate(const std::string& name,
                                                const std::filesystem::path& lockFolder) {
  return std::make_unique<NamedDeviceGate>(lockFolder / (name + ".lock"));
}

std::unique_ptr<DeviceGate> MakeNamedDeviceGate(const std::string& name) {
  return MakeNamedDeviceGate(name, DefaultLockFolder());
}

}  // namespace keyloom::hid

#include "hid/NamedDeviceGate_linux.h"

#include <cerrno>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

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

// How often a wait that is to be told of tries the lock again until it is told.
constexpr std::chrono::milliseconds kNoticeTry{20};

// Waits for the exclusive flock, or drops it. A failure other than an interrupted wait leaves the
// lock as it was; the gate then does not wait, as when the file cannot be opened.
void Flock(int fd, int operation) {
  int result = 0;
  do {
    result = flock(fd, operation);
  } while (result < 0 && errno == EINTR);
}

// flock belongs to the open file, not to the thread: the in-process mutex makes the threads of
// this process exclude each other, and the depth says whether this process is inside a hold,
// which only the thread that owns the mutex can be.
class NamedDeviceGate final : public DeviceGate {
 public:
  explicit NamedDeviceGate(const std::filesystem::path& path)
      : path_(path), fd_(OpenLockFile(path)) {}
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
    const std::lock_guard lock(mutex_);
    if (depth_ > 0) {
      return;
    }
    Lock();
    Flock(fd_, LOCK_UN);
  }

  void Enter() override {
    if (fd_ < 0) {
      return;
    }
    mutex_.lock();
    if (depth_++ == 0) {
      Lock();
    }
  }

  void Leave() override {
    if (fd_ < 0) {
      return;
    }
    if (--depth_ == 0) {
      Flock(fd_, LOCK_UN);
    }
    mutex_.unlock();
  }

  void NoticeLongWaits(std::chrono::milliseconds after, WaitNotice notice) override {
    const std::lock_guard lock(mutex_);
    noticeAfter_ = after;
    notice_ = std::move(notice);
  }

 private:
  // Takes the exclusive flock; a wait longer than noticeAfter_ is told once, the lock tried
  // every kNoticeTry until then and waited for without a time-out after.
  void Lock() {
    if (notice_) {
      const auto told = std::chrono::steady_clock::now() + noticeAfter_;
      for (;;) {
        if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
          return;
        }
        // As in Flock, a failure other than the holder's leaves the lock as it was.
        if (errno != EWOULDBLOCK && errno != EINTR) {
          return;
        }
        if (std::chrono::steady_clock::now() >= told) {
          notice_(path_.string());
          break;
        }
        std::this_thread::sleep_for(kNoticeTry);
      }
    }
    Flock(fd_, LOCK_EX);
  }

  std::filesystem::path path_;
  int fd_;
  std::recursive_mutex mutex_;
  int depth_ = 0;  // guarded by mutex_
  std::chrono::milliseconds noticeAfter_{0};
  WaitNotice notice_;
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

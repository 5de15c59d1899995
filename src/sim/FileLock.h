#pragma once

#include <cstdint>
#include <filesystem>

namespace keyloom::sim {

// An exclusive lock on a file, shared by every process that locks the same file: flock on
// Linux, LockFileEx on Windows. The file is created when missing and kept open for the life of
// the object.
class FileLock {
 public:
  // Holds the lock for its own lifetime.
  class Guard {
   public:
    explicit Guard(FileLock& lock) : lock_(lock) { lock_.Lock(); }
    ~Guard() { lock_.Unlock(); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

   private:
    FileLock& lock_;
  };

  explicit FileLock(const std::filesystem::path& path);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Waits, without a time-out, until this object holds the lock. When the file could not be
  // opened both return at once and the caller goes on unprotected.
  void Lock();
  void Unlock();

  [[nodiscard]] bool usable() const { return handle_ != kInvalidHandle; }

 private:
  static constexpr std::intptr_t kInvalidHandle = -1;

  std::intptr_t handle_ = kInvalidHandle;  // a file descriptor or a HANDLE
};

}  // namespace keyloom::sim

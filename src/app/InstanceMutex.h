#pragma once

#include <string>

namespace keyloom::app {

// The named mutex that marks a running instance of the program (Windows): created owned by this
// process and held until the object goes.
class InstanceMutex {
 public:
  explicit InstanceMutex(const std::wstring& name);
  ~InstanceMutex();

  InstanceMutex(const InstanceMutex&) = delete;
  InstanceMutex& operator=(const InstanceMutex&) = delete;

  // Whether the mutex existed before this process asked for it (ERROR_ALREADY_EXISTS): another
  // instance runs. The mutex is then not owned by this process.
  [[nodiscard]] bool AlreadyExisted() const { return alreadyExisted_; }
  // Whether the system gave a handle at all.
  [[nodiscard]] bool IsValid() const { return handle_ != nullptr; }

 private:
  void* handle_ = nullptr;
  bool alreadyExisted_ = false;
};

}  // namespace keyloom::app

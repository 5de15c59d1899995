#include <windows.h>

#include "app/InstanceMutex.h"

namespace keyloom::app {

InstanceMutex::InstanceMutex(const std::wstring& name)
    : handle_(CreateMutexW(nullptr, TRUE, name.c_str())),
      alreadyExisted_(GetLastError() == ERROR_ALREADY_EXISTS) {}

InstanceMutex::~InstanceMutex() {
  if (handle_ != nullptr) {
    CloseHandle(handle_);
  }
}

}  // namespace keyloom::app

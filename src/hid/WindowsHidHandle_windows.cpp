#include <windows.h>

#include "hid/WindowsHidHandle.h"

extern "C" {
#include <hidsdi.h>
}

#include <cstdint>

#include "hid/WideText.h"

namespace keyloom::hid {
namespace {

OpenError OpenErrorFromWin32(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
      return OpenError::kAccessDenied;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEVICE_NOT_CONNECTED:
      return OpenError::kNotFound;
    case ERROR_SHARING_VIOLATION:
      return OpenError::kBusy;
    default:
      return OpenError::kOther;
  }
}

}  // namespace

WindowsHidHandle::WindowsHidHandle(void* handle) : handle_(handle) {}

WindowsHidHandle::~WindowsHidHandle() {
  CloseHandle(handle_);
}

bool WindowsHidHandle::SetFeature(const Report& report) {
  Report buffer = report;
  return HidD_SetFeature(handle_, buffer.data(), static_cast<ULONG>(buffer.size())) != FALSE;
}

bool WindowsHidHandle::GetFeature(Report& report) {
  Report buffer = report;
  if (HidD_GetFeature(handle_, buffer.data(), static_cast<ULONG>(buffer.size())) == FALSE) {
    return false;
  }
  report = buffer;
  return true;
}

OpenResult OpenWindowsHidPath(const std::string& path) {
  OpenResult result;
  const std::wstring widePath = WideFromUtf8(path);
  HANDLE handle = CreateFileW(widePath.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
  result.traceValue = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(handle));
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    result.error = OpenErrorFromWin32(error);
    result.nativeError = static_cast<int>(error);
    return result;
  }
  result.handle = std::make_unique<WindowsHidHandle>(handle);
  return result;
}

}  // namespace keyloom::hid

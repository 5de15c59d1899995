#pragma once

#include <string>

#include "hid/HidBackend.h"

namespace keyloom::hid {

// An interface path opened with CreateFileW for feature-report transfers (Windows). Owns the
// handle, which is passed as void* so that this header needs no Windows header.
class WindowsHidHandle final : public HidHandle {
 public:
  explicit WindowsHidHandle(void* handle);
  ~WindowsHidHandle() override;

  WindowsHidHandle(const WindowsHidHandle&) = delete;
  WindowsHidHandle& operator=(const WindowsHidHandle&) = delete;

  // HidD_SetFeature with the 8 bytes.
  bool SetFeature(const Report& report) override;

  // HidD_GetFeature for the report id in report[0]; a failed request leaves the report untouched.
  bool GetFeature(Report& report) override;

 private:
  void* handle_;
};

// Opens an interface path (UTF-8) for reading and writing, shared, overlapped. The trace value is
// the handle value, the invalid-handle value (-1) on failure.
OpenResult OpenWindowsHidPath(const std::string& path);

}  // namespace keyloom::hid

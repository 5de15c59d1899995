#pragma once

#include <string>

#include "hid/HidBackend.h"

namespace keyloom::hid {

// A hidraw node opened for feature-report transfers (Linux). Owns the file descriptor.
class HidrawHandle final : public HidHandle {
 public:
  explicit HidrawHandle(int fd);
  ~HidrawHandle() override;

  HidrawHandle(const HidrawHandle&) = delete;
  HidrawHandle& operator=(const HidrawHandle&) = delete;

  // HIDIOCSFEATURE with the 8 bytes; report[0] is the report id.
  bool SetFeature(const Report& report) override;

  // HIDIOCGFEATURE for the report id in report[0]. A reply shorter than 8 bytes leaves the rest
  // of the report zero; a failed request leaves the report untouched.
  bool GetFeature(Report& report) override;

 private:
  int fd_;
};

// Opens a hidraw node for reading and writing. The trace value is the descriptor, -1 on failure.
OpenResult OpenHidraw(const std::string& path);

// What an errno of open() means to the user.
OpenError OpenErrorFromErrno(int error);

}  // namespace keyloom::hid

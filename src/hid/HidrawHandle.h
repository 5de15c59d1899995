#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "hid/HidBackend.h"

namespace keyloom::hid {

// A feature request on a hidraw descriptor, as ioctl(fd, request, buffer) makes it: the number of
// bytes moved, or -1 with errno set.
using FeatureIoctl = std::function<int(int fd, unsigned long request, std::uint8_t* buffer)>;

// A hidraw node opened for feature-report transfers (Linux). Owns the file descriptor.
class HidrawHandle final : public HidHandle {
 public:
  explicit HidrawHandle(int fd);
  // Makes its requests through `ioctl` instead of the kernel's.
  HidrawHandle(int fd, FeatureIoctl ioctl);
  ~HidrawHandle() override;

  HidrawHandle(const HidrawHandle&) = delete;
  HidrawHandle& operator=(const HidrawHandle&) = delete;

  // HIDIOCSFEATURE with the 8 bytes; report[0] is the report id. True only when all 8 went out.
  bool SetFeature(const Report& report) override;

  // HIDIOCGFEATURE for the report id in report[0]. True only when the whole 8-byte reply arrived;
  // a shorter reply is a failed read and, like any failure, leaves the report untouched.
  bool GetFeature(Report& report) override;

 private:
  int Request(unsigned long request, Report& buffer) const;

  int fd_;
  FeatureIoctl ioctl_;
};

// Opens a hidraw node for reading and writing. The trace value is the descriptor, -1 on failure.
OpenResult OpenHidraw(const std::string& path);

// What an errno of open() means to the user.
OpenError OpenErrorFromErrno(int error);

}  // namespace keyloom::hid

#include <algorithm>
#include <cerrno>
#include <cstddef>

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "hid/HidrawHandle.h"

namespace keyloom::hid {
namespace {

constexpr unsigned long kSetFeatureRequest = HIDIOCSFEATURE(kReportSize);
constexpr unsigned long kGetFeatureRequest = HIDIOCGFEATURE(kReportSize);

// The result of a feature ioctl: the number of bytes moved, or -1.
int FeatureIoctl(int fd, unsigned long request, Report& buffer) {
  int result = 0;
  do {
    result = ioctl(fd, request, buffer.data());
  } while (result < 0 && errno == EINTR);
  return result;
}

}  // namespace

HidrawHandle::HidrawHandle(int fd) : fd_(fd) {}

HidrawHandle::~HidrawHandle() {
  close(fd_);
}

bool HidrawHandle::SetFeature(const Report& report) {
  Report buffer = report;
  return FeatureIoctl(fd_, kSetFeatureRequest, buffer) >= 0;
}

bool HidrawHandle::GetFeature(Report& report) {
  Report buffer = report;
  const int received = FeatureIoctl(fd_, kGetFeatureRequest, buffer);
  if (received < 0) {
    return false;
  }
  const auto kept = std::min(static_cast<std::size_t>(received), kReportSize);
  std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(kept), buffer.end(), std::uint8_t{0});
  report = buffer;
  return true;
}

OpenResult OpenHidraw(const std::string& path) {
  OpenResult result;
  const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
  result.traceValue = fd;
  if (fd < 0) {
    result.nativeError = errno;
    result.error = OpenErrorFromErrno(result.nativeError);
    return result;
  }
  result.handle = std::make_unique<HidrawHandle>(fd);
  return result;
}

OpenError OpenErrorFromErrno(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return OpenError::kAccessDenied;
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return OpenError::kNotFound;
    case EBUSY:
      return OpenError::kBusy;
    default:
      return OpenError::kOther;
  }
}

}  // namespace keyloom::hid

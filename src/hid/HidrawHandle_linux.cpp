#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "hid/HidrawHandle.h"

namespace keyloom::hid {
namespace {

constexpr unsigned long kSetFeatureRequest = HIDIOCSFEATURE(kReportSize);
constexpr unsigned long kGetFeatureRequest = HIDIOCGFEATURE(kReportSize);

int SystemFeatureIoctl(int fd, unsigned long request, std::uint8_t* buffer) {
  return ioctl(fd, request, buffer);
}

}  // namespace

HidrawHandle::HidrawHandle(int fd) : HidrawHandle(fd, SystemFeatureIoctl) {}

HidrawHandle::HidrawHandle(int fd, FeatureIoctl ioctl) : fd_(fd), ioctl_(std::move(ioctl)) {}

HidrawHandle::~HidrawHandle() {
  close(fd_);
}

bool HidrawHandle::SetFeature(const Report& report) {
  Report buffer = report;
  return Request(kSetFeatureRequest, buffer) == static_cast<int>(kReportSize);
}

bool HidrawHandle::GetFeature(Report& report) {
  Report buffer = report;
  if (Request(kGetFeatureRequest, buffer) != static_cast<int>(kReportSize)) {
    return false;
  }
  report = buffer;
  return true;
}

int HidrawHandle::Request(unsigned long request, Report& buffer) const {
  int result = 0;
  do {
    result = ioctl_(fd_, request, buffer.data());
  } while (result < 0 && errno == EINTR);
  return result;
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

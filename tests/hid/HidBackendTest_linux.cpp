#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "hid/HidBackend.h"
#include "hid/HidrawHandle.h"

namespace keyloom::hid {
namespace {

TEST(LinuxHidBackend, OpenErrorsAreNamedForTheUser) {
  EXPECT_EQ(OpenErrorFromErrno(EACCES), OpenError::kAccessDenied);
  EXPECT_EQ(OpenErrorFromErrno(EPERM), OpenError::kAccessDenied);
  EXPECT_EQ(OpenErrorFromErrno(ENOENT), OpenError::kNotFound);
  EXPECT_EQ(OpenErrorFromErrno(ENODEV), OpenError::kNotFound);
  EXPECT_EQ(OpenErrorFromErrno(ENXIO), OpenError::kNotFound);
  EXPECT_EQ(OpenErrorFromErrno(EBUSY), OpenError::kBusy);
  EXPECT_EQ(OpenErrorFromErrno(EISDIR), OpenError::kOther);
}

TEST(LinuxHidBackend, OpeningAMissingNodeFails) {
  const OpenResult result = SystemHidBackend().OpenPath("/dev/hidraw-keyloom-missing");
  EXPECT_EQ(result.handle, nullptr);
  EXPECT_EQ(result.traceValue, -1);
  EXPECT_EQ(result.error, OpenError::kNotFound);
  EXPECT_EQ(result.nativeError, ENOENT);
}

// A file that is not a hidraw node opens, but refuses the feature requests; a failed read keeps
// the caller's buffer.
TEST(LinuxHidBackend, TransfersOnANodeThatRefusesThemFail) {
  const auto path =
      std::filesystem::temp_directory_path() / ("keyloom-not-hidraw-" + std::to_string(getpid()));
  std::ofstream(path) << "not a device";
  OpenResult result = OpenHidraw(path.string());
  ASSERT_NE(result.handle, nullptr);
  EXPECT_GE(result.traceValue, 0);
  EXPECT_EQ(result.error, OpenError::kNone);

  Report buffer{0x07};
  EXPECT_FALSE(result.handle->SetFeature(Report{0x07, 0xfc, 0x01}));
  EXPECT_FALSE(result.handle->GetFeature(buffer));
  EXPECT_EQ(buffer, (Report{0x07}));

  const int descriptor = static_cast<int>(result.traceValue);
  result.handle.reset();
  EXPECT_EQ(fcntl(descriptor, F_GETFD), -1) << "the handle did not close its descriptor";
  std::filesystem::remove(path);
}

// The kernel moves fewer bytes than asked when the device's reply or its acceptance fell short:
// only a whole report is a transfer, and a failed read keeps the caller's buffer.
TEST(HidrawHandle, OnlyAWholeReportCountsAsATransfer) {
  constexpr Report kSent{0x07, 0xfc, 0x01, 0, 0, 0, 0, 0};
  constexpr Report kAsked{0x07};
  constexpr Report kReply{0x07, 0xfb, 1, 2, 3, 4, 5, 6};
  struct Case {
    int moved;  // -1: the request failed
    bool transferred;
  };
  for (const Case& c :
       std::vector<Case>{{-1, false}, {0, false}, {1, false}, {7, false}, {8, true}}) {
    std::vector<unsigned long> requests;
    std::vector<Report> sent;
    HidrawHandle handle(open("/dev/null", O_RDWR | O_CLOEXEC),
                        [&](int, unsigned long request, std::uint8_t* buffer) {
                          requests.push_back(request);
                          if (request == HIDIOCSFEATURE(kReportSize)) {
                            sent.emplace_back();
                            std::copy_n(buffer, kReportSize, sent.back().begin());
                          } else {
                            std::copy_n(kReply.begin(), std::max(c.moved, 0), buffer);
                          }
                          errno = c.moved < 0 ? EIO : 0;
                          return c.moved;
                        });
    Report read = kAsked;
    EXPECT_EQ(handle.GetFeature(read), c.transferred) << c.moved << " bytes read";
    EXPECT_EQ(read, c.transferred ? kReply : kAsked) << c.moved << " bytes read";
    EXPECT_EQ(handle.SetFeature(kSent), c.transferred) << c.moved << " bytes written";
    EXPECT_EQ(requests, (std::vector<unsigned long>{HIDIOCGFEATURE(kReportSize),
                                                    HIDIOCSFEATURE(kReportSize)}));
    EXPECT_EQ(sent, std::vector<Report>{kSent});
  }
}

}  // namespace
}  // namespace keyloom::hid

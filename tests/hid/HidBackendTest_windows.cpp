#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "hid/DeviceGate.h"
#include "hid/HidBackend.h"
#include "hid/HidDevice.h"
#include "hid/HidPath.h"
#include "hid/HidTrace.h"

namespace keyloom::hid {
namespace {

// No HID interface has these numbers.
constexpr DeviceSelector kNothing{0x0001, 0x0001, 0xEE, 0xEE};
constexpr DeviceSelector kEverything{0, 0, -1, -1};

constexpr std::string_view kDetailQueryFailed = "获取接口信息失败";

struct Discovery {
  std::vector<HidInterfaceInfo> found;
  std::vector<std::string> traces;
};

Discovery Discover(const DeviceSelector& selector) {
  Discovery discovery;
  discovery.found = FindHidInterfaces(
      selector, [&discovery](std::string_view line) { discovery.traces.emplace_back(line); });
  return discovery;
}

// "open dev: " and eight lowercase hexadecimal digits.
bool IsOpenDevLine(std::string_view line) {
  constexpr std::string_view kPrefix = "open dev: ";
  constexpr std::size_t kDigits = 8;
  if (line.size() != kPrefix.size() + kDigits || !line.starts_with(kPrefix)) {
    return false;
  }
  return line.substr(kPrefix.size()).find_first_not_of("0123456789abcdef") ==
         std::string_view::npos;
}

// The lines of one discovery in the order the enumeration writes them: the class line, then for
// each index its enum line, perhaps the failed detail query, and for a kept interface its open.
// Returns how many "open dev" lines there were.
std::size_t ExpectWellFormedTraces(const std::vector<std::string>& traces) {
  EXPECT_FALSE(traces.empty()) << "the HID interface set could not be obtained";
  if (traces.empty()) {
    return 0;
  }
  EXPECT_EQ(traces.front(), GotClassTraceLine(kHidInterfaceClass));
  int index = 0;
  std::size_t opens = 0;
  bool openAllowed = false;
  for (std::size_t i = 1; i < traces.size(); ++i) {
    const std::string& line = traces[i];
    if (line.starts_with("enum interface: ")) {
      EXPECT_EQ(line, EnumInterfaceTraceLine(kHidInterfaceClass, index));
      ++index;
      openAllowed = true;
    } else if (line.starts_with("open dev: ")) {
      EXPECT_TRUE(IsOpenDevLine(line)) << line;
      EXPECT_TRUE(openAllowed) << "an open without an interface before it: " << line;
      openAllowed = false;
      ++opens;
    } else {
      EXPECT_EQ(line, kDetailQueryFailed);
      openAllowed = false;
    }
  }
  return opens;
}

// Wine, like any Windows machine, may present HID interfaces of its own; these tests hold for
// whatever this machine has.
TEST(WindowsHidBackend, DiscoveryKeepsOnlyPathsThatFitTheGrammar) {
  const Discovery all = Discover(kEverything);
  EXPECT_EQ(ExpectWellFormedTraces(all.traces), all.found.size());
  for (const HidInterfaceInfo& info : all.found) {
    const auto fields = ParseHidPath(info.path);
    ASSERT_TRUE(fields.has_value()) << info.path;
    EXPECT_EQ(info.vendorId, fields->vendorId) << info.path;
    EXPECT_EQ(info.productId, fields->productId) << info.path;
    EXPECT_EQ(info.interfaceClass, kHidInterfaceClass) << info.path;
  }
}

TEST(WindowsHidBackend, ANarrowerSelectorKeepsOnlyItsMatchesInTheSameOrder) {
  const Discovery all = Discover(kEverything);
  if (all.found.empty()) {
    GTEST_SKIP() << "this machine presents no HID interface whose path fits the grammar";
  }
  const auto first = ParseHidPath(all.found.front().path);
  ASSERT_TRUE(first.has_value());
  const DeviceSelector selector{first->vendorId, first->productId, first->interfaceNumber,
                                first->collectionNumber};
  std::vector<std::string> expected;
  for (const HidInterfaceInfo& info : all.found) {
    if (selector.Matches(*ParseHidPath(info.path))) {
      expected.push_back(info.path);
    }
  }

  const Discovery narrow = Discover(selector);
  EXPECT_EQ(ExpectWellFormedTraces(narrow.traces), narrow.found.size());
  std::vector<std::string> paths;
  for (const HidInterfaceInfo& info : narrow.found) {
    paths.push_back(info.path);
  }
  EXPECT_EQ(paths, expected);
}

TEST(WindowsHidBackend, ASelectorThatMatchesNothingFindsNothingAndOpensNothing) {
  const Discovery none = Discover(kNothing);
  EXPECT_TRUE(none.found.empty());
  EXPECT_EQ(ExpectWellFormedTraces(none.traces), 0u);
}

TEST(WindowsHidBackend, HidDeviceOpensNothingWhenNothingMatches) {
  const auto gate = MakeNamedDeviceGate("KeyloomTestGate-" + std::to_string(GetCurrentProcessId()));
  std::vector<std::string> traces;
  HidDevice device{SystemHidBackend(), *gate,
                   [&traces](std::string_view line) { traces.emplace_back(line); }};
  EXPECT_FALSE(device.Open(kNothing));
  EXPECT_EQ(device.state(), HidDevice::State::kClosed);
  EXPECT_EQ(device.lastOpenPath(), "");
  EXPECT_EQ(ExpectWellFormedTraces(traces), 0u);

  Report buffer{0x07};
  EXPECT_FALSE(device.SetFeature(Report{0x07, 0xfc, 0x01}));
  EXPECT_FALSE(device.GetFeature(buffer));
  EXPECT_EQ(buffer, (Report{0x07}));
}

TEST(WindowsHidBackend, OpeningAMissingInterfaceFails) {
  const OpenResult result = SystemHidBackend().OpenPath(
      R"(\\?\hid#vid_0001&pid_0001&mi_00#keyloom&missing#{4d1e55b2-f16f-11cf-88cb-001111000030})");
  EXPECT_EQ(result.handle, nullptr);
  EXPECT_EQ(result.traceValue, -1);
  EXPECT_EQ(result.error, OpenError::kNotFound) << "GetLastError " << result.nativeError;
}

// A file that is not a HID interface opens, but refuses the feature requests; a failed read
// keeps the caller's buffer.
TEST(WindowsHidBackend, TransfersOnAHandleThatRefusesThemFail) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("keyloom-not-hid-" + std::to_string(GetCurrentProcessId()));
  std::ofstream(path) << "not a device";
  const std::u8string utf8Path = path.u8string();
  OpenResult result = SystemHidBackend().OpenPath(std::string(utf8Path.begin(), utf8Path.end()));
  ASSERT_NE(result.handle, nullptr) << "GetLastError " << result.nativeError;
  EXPECT_NE(result.traceValue, -1);
  EXPECT_EQ(result.error, OpenError::kNone);

  Report buffer{0x07};
  EXPECT_FALSE(result.handle->SetFeature(Report{0x07, 0xfc, 0x01}));
  EXPECT_FALSE(result.handle->GetFeature(buffer));
  EXPECT_EQ(buffer, (Report{0x07}));
  result.handle.reset();
  EXPECT_TRUE(std::filesystem::remove(path)) << "the handle did not close the file";
}

}  // namespace
}  // namespace keyloom::hid

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "hid/HidTrace.h"
#include "hid/InterfaceListing.h"
#include "hid/ListingHidBackend.h"

namespace keyloom::hid {
namespace {

using ::testing::ElementsAre;

constexpr Guid kOtherClass{0x12345678, 0x9abc, 0xdef0, {1, 2, 3, 4, 5, 6, 7, 8}};

// Lists the interfaces given; a probe notes the path, sets the release number to 0x0100 plus the
// number of probes so far, and gives that number as the handle value.
class FakeListing final : public InterfaceListing {
 public:
  FakeListing(std::vector<ListedInterface> interfaces, std::vector<std::string>& probed)
      : interfaces_(std::move(interfaces)), probed_(probed) {}

  std::optional<ListedInterface> Next() override {
    if (next_ == interfaces_.size()) {
      return std::nullopt;
    }
    return interfaces_[next_++];
  }

  std::int64_t Probe(HidInterfaceInfo& record) override {
    probed_.push_back(record.path);
    record.releaseNumber = static_cast<std::uint16_t>(0x0100 + probed_.size());
    return static_cast<std::int64_t>(probed_.size());
  }

 private:
  std::vector<ListedInterface> interfaces_;
  std::vector<std::string>& probed_;
  std::size_t next_ = 0;
};

ListedInterface Listed(const std::string& path, std::vector<ListedCollection> collections,
                       const Guid& interfaceClass = kHidInterfaceClass) {
  ListedInterface listed;
  listed.interfaceClass = interfaceClass;
  listed.record.path = path;
  listed.collections = std::move(collections);
  return listed;
}

// Every interface is traced with its index and its own class; only matches are probed, each
// right after its own "enum interface" line, and described by the first collection that fits.
TEST(InterfaceListing, DiscoveryTracesInEnumerationOrderAndKeepsTheMatchesLastFirst) {
  ListedInterface failed;
  failed.detailQueryFailed = true;
  const std::vector<ListedInterface> interfaces{
      Listed("a", {{{0x1, 0x2, 0, 1}, 0x0001, 0x0006}, {{0x1, 0x2, 0, 2}, 0xff00, 0x0001}},
             kOtherClass),
      failed,
      Listed("no collections", {}),
      Listed("other vendor", {{{0x3, 0x2, 0, 2}}}),
      Listed("c", {{{0x1, 0x5, 0, 2}, 0x000c, 0x0001}}),
  };
  std::vector<std::string> probed;
  FakeListing listing(interfaces, probed);
  std::vector<std::string> traces;
  const auto found = FindListedInterfaces(
      listing, {0x1, 0, -1, 2}, [&traces](std::string_view line) { traces.emplace_back(line); });

  const auto enumLine = [](const Guid& guid, int index) {
    return EnumInterfaceTraceLine(guid, index);
  };
  EXPECT_THAT(traces, ElementsAre(GotClassTraceLine(kHidInterfaceClass), enumLine(kOtherClass, 0),
                                  OpenDevTraceLine(1), enumLine(kHidInterfaceClass, 1),
                                  DetailQueryFailedTraceLine(), enumLine(kHidInterfaceClass, 2),
                                  enumLine(kHidInterfaceClass, 3), enumLine(kHidInterfaceClass, 4),
                                  OpenDevTraceLine(2)));
  EXPECT_THAT(probed, ElementsAre("a", "c"));
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].path, "c");
  EXPECT_EQ(found[0].productId, 0x5);
  EXPECT_EQ(found[0].releaseNumber, 0x0102);
  EXPECT_EQ(found[1].path, "a");
  EXPECT_EQ(found[1].interfaceClass, kOtherClass);
  EXPECT_EQ(found[1].vendorId, 0x1);
  EXPECT_EQ(found[1].productId, 0x2);
  EXPECT_EQ(found[1].usagePage, 0xff00);
  EXPECT_EQ(found[1].usage, 0x0001);
  EXPECT_EQ(found[1].releaseNumber, 0x0101);
}

class FakeBackend final : public ListingHidBackend {
 public:
  bool setObtained = true;
  std::vector<std::string> probed;

  OpenResult OpenPath(const std::string& /*path*/) override { return {}; }

 private:
  std::unique_ptr<InterfaceListing> ListInterfaces() override {
    if (!setObtained) {
      return nullptr;
    }
    return std::make_unique<FakeListing>(
        std::vector<ListedInterface>{Listed("a", {{{0x1, 0x2, 0, -1}}})}, probed);
  }
};

TEST(InterfaceListing, ABackendWithoutTheSetOfInterfacesFindsNothingAndTracesNothing) {
  FakeBackend backend;
  std::vector<std::string> traces;
  const DiagnosticTrace trace = [&traces](std::string_view line) { traces.emplace_back(line); };
  EXPECT_EQ(backend.FindInterfaces({0, 0, -1, -1}, trace).size(), 1u);
  EXPECT_EQ(traces.size(), 3u);

  traces.clear();
  backend.setObtained = false;
  EXPECT_TRUE(backend.FindInterfaces({0, 0, -1, -1}, trace).empty());
  EXPECT_TRUE(traces.empty());
}

}  // namespace
}  // namespace keyloom::hid

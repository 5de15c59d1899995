#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "HidTestData.h"
#include "hid/ReportDescriptor.h"

namespace keyloom::hid {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Collections = std::vector<TopLevelCollection>;

TEST(ReportDescriptor, RejectsMalformedDescriptors) {
  const Bytes rejected[] = {
      {0x05},                          // item data missing
      {0x06, 0x00},                    // two-byte item cut short
      {0x07, 0x00, 0x00, 0x01},        // four-byte item cut short
      {0x09, 0x06, 0xa1, 0x01},        // collection never ended
      {0xc0},                          // end without a collection
      {0xa1, 0x01, 0xc0, 0xc0},        // one end too many
      {0xb4},                          // pop with nothing pushed
      {0xa4, 0xa4, 0xa4, 0xa4, 0xa4},  // push beyond the global stack
      {0xfe, 0x05, 0x10, 0x01, 0x02},  // long item shorter than it says
      {0xfe, 0x01},                    // long item header cut short
  };
  for (const auto& bytes : rejected) {
    EXPECT_FALSE(ParseTopLevelCollections(bytes).has_value()) << testing::PrintToString(bytes);
  }
}

TEST(ReportDescriptor, AcceptsDescriptorsWithoutCollections) {
  EXPECT_EQ(ParseTopLevelCollections(Bytes{}), Collections{});
  EXPECT_EQ(ParseTopLevelCollections(Bytes{0x05, 0x01, 0x00, 0x00}), Collections{});
}

TEST(ReportDescriptor, BootKeyboardHasOneCollection) {
  EXPECT_EQ(ParseTopLevelCollections(test::ReadHexFixture("keyboard_boot_interface.hex")),
            (Collections{{0x0001, 0x0006}}));
}

TEST(ReportDescriptor, CountsOnlyOuterCollectionsAndFollowsPushAndPop) {
  EXPECT_EQ(ParseTopLevelCollections(test::ReadHexFixture("keyboard_multi_collection.hex")),
            (Collections{{0x000c, 0x0001}, {0x0001, 0x0080}, {0xff00, 0x0001}, {0x0001, 0x0006}}));
}

TEST(ReportDescriptor, CollectionUsageIsTheFirstUsageOnThePageInEffectAtTheCollection) {
  // Two usages before the collection: the first one names it.
  EXPECT_EQ(ParseTopLevelCollections(Bytes{0x05, 0x01, 0x09, 0x02, 0x09, 0x06, 0xa1, 0x01, 0xc0}),
            (Collections{{0x0001, 0x0002}}));
  // An extended usage carries its own page.
  EXPECT_EQ(
      ParseTopLevelCollections(Bytes{0x05, 0x01, 0x0b, 0x01, 0x00, 0x0c, 0x00, 0xa1, 0x01, 0xc0}),
      (Collections{{0x000c, 0x0001}}));
  // Usages do not outlive the main item that follows them.
  EXPECT_EQ(ParseTopLevelCollections(Bytes{0x05, 0x01, 0x09, 0x06, 0x81, 0x02, 0xa1, 0x01, 0xc0}),
            (Collections{{0x0001, 0x0000}}));
  // A long item in between is skipped.
  EXPECT_EQ(ParseTopLevelCollections(
                Bytes{0x05, 0x01, 0xfe, 0x02, 0xf0, 0xaa, 0xbb, 0x09, 0x06, 0xa1, 0x01, 0xc0}),
            (Collections{{0x0001, 0x0006}}));
}

TEST(ReportDescriptor, EveryCutOfARealDescriptorIsReadSafely) {
  const Bytes full = test::ReadHexFixture("keyboard_multi_collection.hex");
  for (std::size_t length = 0; length < full.size(); ++length) {
    // Copied so that ASan sees any read past the cut.
    const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
    const auto collections = ParseTopLevelCollections(cut);
    if (collections) {
      EXPECT_LT(collections->size(), 4U) << length;
    }
  }
}

TEST(ReportDescriptor, RandomBytesNeverCrash) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<std::size_t> size(0, 64);
  for (int round = 0; round < 5000; ++round) {
    Bytes bytes(size(random));
    for (auto& b : bytes) {
      b = static_cast<std::uint8_t>(byte(random));
    }
    const auto collections = ParseTopLevelCollections(bytes);
    if (collections) {
      EXPECT_LE(collections->size(), bytes.size() / 2);
    }
  }
}

}  // namespace
}  // namespace keyloom::hid

#include <string>

#include <gtest/gtest.h>

#include "hid/DeviceSelector.h"
#include "hid/HidPath.h"

namespace keyloom::hid {
namespace {

TEST(ParseHidPath, RejectsPathsWithoutTheSequence) {
  const char* const rejected[] = {
      "",
      "hid#vid_",
      R"(\\?\usb#vid_258a&pid_002a#5&1c2d&0&2#{a5dcbf10-6530-11d2-901f-00c04fb951ed})",
      R"(\\?\HID#VID_258A&PID_002A&MI_01#8&1f2e&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})",
      R"(\\?\hid#VID_258a&pid_002a)",
      R"(\\?\hid#vid_258a&PID_002a)",
      "hid#vid_258&pid_002a",   // vendor field too short
      "hid#vid_258a&pid_02a",   // product field too short at the end
      "hid#vid_258a&pid_02a#",  // ... and before another character
      "hid#vid_25-a&pid_002a",  // a field character that is neither digit nor letter
      "hid#vid_258a_pid_002a",  // wrong separator
      R"(\\?\hid#{00001124-0000-1000-8000-00805f9b34fb}_vid&0002046d_pid&b342#9&2d3e&0&0000)",
  };
  for (const char* path : rejected) {
    EXPECT_FALSE(ParseHidPath(path).has_value()) << path;
  }
}

struct PathCase {
  const char* path;
  HidPathFields expected;
};

TEST(ParseHidPath, ReadsFieldsAsHexadecimal) {
  const PathCase cases[] = {
      {R"(\\?\hid#vid_258a&pid_002a&mi_01&col02#8&1f2e&0&0001#{4d1e55b2-f16f-11cf-88cb-001111000030})",
       {0x258a, 0x002a, 1, 2}},
      {R"(\\?\hid#vid_258a&pid_002a&mi_00#8&3a4b&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})",
       {0x258a, 0x002a, 0, -1}},
      {"hid#vid_046d&pid_c52b", {0x046d, 0xc52b, -1, -1}},
      {"hid#vid_046d&pid_c52b&col03", {0x046d, 0xc52b, -1, 3}},
      {"hid#vid_258a&pid_002a&mi_0a", {0x258a, 0x002a, 10, -1}},
      {"hid#vid_258A&pid_002A&mi_0A&col1F", {0x258a, 0x002a, 10, 31}},
      {"hid#vid_ffff&pid_FFFF", {0xffff, 0xffff, -1, -1}},
      // Reading stops at the first character that is not a hex digit.
      {"hid#vid_zz12&pid_1zz2&mi_g1&col2x", {0, 1, 0, 2}},
      // An optional part that is cut short is not taken; the next one may still follow.
      {"hid#vid_258a&pid_002a&mi_1", {0x258a, 0x002a, -1, -1}},
      {"hid#vid_258a&pid_002a&col01&mi_02", {0x258a, 0x002a, -1, 1}},
      // The sequence need not start the path; the first place where it occurs counts.
      {R"(C:\dev\hid#vid_1234&pid_5678&mi_03)", {0x1234, 0x5678, 3, -1}},
      {"hid#vid_12&hid#vid_1111&pid_2222 hid#vid_3333&pid_4444", {0x1111, 0x2222, -1, -1}},
      {"hid#vid_1111&pid_2222#hid#vid_3333&pid_4444&mi_05", {0x1111, 0x2222, -1, -1}},
  };
  for (const auto& c : cases) {
    const auto fields = ParseHidPath(c.path);
    ASSERT_TRUE(fields.has_value()) << c.path;
    EXPECT_EQ(fields->vendorId, c.expected.vendorId) << c.path;
    EXPECT_EQ(fields->productId, c.expected.productId) << c.path;
    EXPECT_EQ(fields->interfaceNumber, c.expected.interfaceNumber) << c.path;
    EXPECT_EQ(fields->collectionNumber, c.expected.collectionNumber) << c.path;
  }
}

TEST(ParseHidPath, StopsAtTheEndOfANonTerminatedView) {
  const std::string backing = "hid#vid_258a&pid_002a&mi_01";
  const auto fields = ParseHidPath(std::string_view(backing).substr(0, backing.size() - 1));
  ASSERT_TRUE(fields.has_value());
  EXPECT_EQ(fields->interfaceNumber, -1);
}

TEST(DeviceSelector, VendorAndProductZeroAreWildcardsInterfaceAndCollectionZeroAreNot) {
  const HidPathFields keyboard{0x258a, 0x002a, 1, 2};
  EXPECT_TRUE((DeviceSelector{0, 0, -1, -1}).Matches(keyboard));
  EXPECT_TRUE((DeviceSelector{-5, -1, -1, -7}).Matches(keyboard));
  EXPECT_TRUE((DeviceSelector{0x258a, 0x002a, 1, 2}).Matches(keyboard));
  EXPECT_FALSE((DeviceSelector{0x258b, 0, -1, -1}).Matches(keyboard));
  EXPECT_FALSE((DeviceSelector{0, 0x002b, -1, -1}).Matches(keyboard));
  EXPECT_FALSE((DeviceSelector{0, 0, 0, -1}).Matches(keyboard));
  EXPECT_FALSE((DeviceSelector{0, 0, -1, 0}).Matches(keyboard));
  EXPECT_FALSE((DeviceSelector{0, 0, 2, 2}).Matches(keyboard));
}

TEST(DeviceSelector, AllZeroMatchesOnlyInterfaceAndCollectionZero) {
  const DeviceSelector allZero{0, 0, 0, 0};
  EXPECT_TRUE(allZero.Matches({0x1234, 0x5678, 0, 0}));
  EXPECT_FALSE(allZero.Matches({0x1234, 0x5678, 0, 1}));
  EXPECT_FALSE(allZero.Matches({0x1234, 0x5678, 0, -1}));
  EXPECT_FALSE(allZero.Matches({0x1234, 0x5678, -1, -1}));
}

TEST(DeviceSelector, AMissingFieldFailsANonNegativeSelector) {
  const auto fields = ParseHidPath("hid#vid_258a&pid_002a&mi_01");
  ASSERT_TRUE(fields.has_value());
  EXPECT_FALSE((DeviceSelector{0x258a, 0x002a, 1, 2}).Matches(*fields));
  EXPECT_TRUE((DeviceSelector{0x258a, 0x002a, 1, -1}).Matches(*fields));
  EXPECT_FALSE((DeviceSelector{0x258a, 0x002a, 1, 0}).Matches(*fields));
}

}  // namespace
}  // namespace keyloom::hid

#include <gtest/gtest.h>

#include "hid/HidInterfaceInfo.h"
#include "hid/HidTrace.h"

namespace keyloom::hid {
namespace {

TEST(HidTrace, GuidTextHasPrintfWidthsAndNoSeparatorsInTheLastEightBytes) {
  EXPECT_EQ(FormatGuidForTrace(kHidInterfaceClass), "4d1e55b2-f16f-11cf-88cb001111000030");
  EXPECT_EQ(FormatGuidForTrace(Guid{0x1, 0x2, 0x3, {0, 1, 2, 3, 0xa, 0xb, 0xc, 0xff}}),
            "0001-02-03-000102030a0b0cff");
  EXPECT_EQ(FormatGuidForTrace(Guid{0xabcd, 0x1234, 0xfedc, {}}),
            "abcd-1234-fedc-0000000000000000");
  EXPECT_EQ(FormatGuidForTrace(
                Guid{0xffffffff, 0xffff, 0xffff, {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}}),
            "ffffffff-ffff-ffff-ffffffffffffffff");
}

TEST(HidTrace, LinesCarryTheExactTexts) {
  EXPECT_EQ(GotClassTraceLine(kHidInterfaceClass),
            "got classs: guid={4d1e55b2-f16f-11cf-88cb001111000030}");
  EXPECT_EQ(EnumInterfaceTraceLine(kHidInterfaceClass, 12),
            "enum interface: guid={4d1e55b2-f16f-11cf-88cb001111000030} index=12");
  EXPECT_EQ(DetailQueryFailedTraceLine(), "获取接口信息失败");
}

TEST(HidTrace, OpenDevPrintsTheLow32BitsOfTheHandleValue) {
  EXPECT_EQ(OpenDevTraceLine(3), "open dev: 00000003");
  EXPECT_EQ(OpenDevTraceLine(-1), "open dev: ffffffff");
  EXPECT_EQ(OpenDevTraceLine(0x2a4), "open dev: 000002a4");
  EXPECT_EQ(OpenDevTraceLine(0x12'3456'789a), "open dev: 3456789a");
}

}  // namespace
}  // namespace keyloom::hid

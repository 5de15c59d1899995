#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "settings/NumberText.h"

namespace keyloom::settings {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

struct Case {
  std::string_view text;
  std::int32_t expected;
};

TEST(ReadHexInt32, ReadsTheLeadingHexNumberAndSaturates) {
  const Case cases[] = {
      // Nothing to read.
      {"", 0},
      {"   ", 0},
      {"-", 0},
      {"+", 0},
      {"0x", 0},
      {"0X", 0},
      {"-0x", 0},
      {"x1", 0},
      {"g1", 0},
      {"- 1", 0},
      {"+-1", 0},
      {"0x 1", 0},
      {"0xx1", 0},
      {"\xE2\x80\x98", 0},
      // Digits up to the first other character.
      {"1", 1},
      {"10", 16},
      {"258a", 0x258A},
      {"258A", 0x258A},
      {"0x258a", 0x258A},
      {"0X258A", 0x258A},
      {"002a", 0x2A},
      {"1g", 1},
      {"0x1g2", 1},
      {"12 34", 0x12},
      {"0g", 0},
      // Whitespace and sign.
      {" \t\r\n\v\f1f", 0x1F},
      {"+1f", 0x1F},
      {"-1", -1},
      {"-0x1", -1},
      {"-FF", -255},
      {"  -0X10", -16},
      // The edges of the 32-bit range, and beyond.
      {"7fffffff", kMax},
      {"80000000", kMax},
      {"ffffffff", kMax},
      {"-80000000", kMin},
      {"-80000001", kMin},
      {"-7fffffff", -kMax},
      {"ffffffffffffffffffffffffffffffffffffffff", kMax},
      {"-ffffffffffffffffffffffffffffffffffffffff", kMin},
      {"0000000000000000000000000000000000000001", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadHexInt32(c.text), c.expected) << '"' << c.text << '"';
  }
}

TEST(ReadDecimalInt32, ReadsTheLeadingDecimalNumberAndSaturates) {
  const Case cases[] = {
      // Nothing to read.
      {"", 0},
      {" ", 0},
      {"-", 0},
      {"+", 0},
      {"a1", 0},
      {"- 1", 0},
      {"--1", 0},
      {".5", 0},
      // Digits up to the first other character; hex is not understood.
      {"7", 7},
      {"224", 224},
      {"0x10", 0},
      {"1a", 1},
      {"12.9", 12},
      {"1e3", 1},
      {"007", 7},
      // Whitespace and sign.
      {"\t 42", 42},
      {"+42", 42},
      {"-42", -42},
      {"-0", 0},
      // The edges of the 32-bit range, and beyond.
      {"2147483647", kMax},
      {"2147483648", kMax},
      {"-2147483648", kMin},
      {"-2147483649", kMin},
      {"99999999999999999999999999999999", kMax},
      {"-99999999999999999999999999999999", kMin},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadDecimalInt32(c.text), c.expected) << '"' << c.text << '"';
  }
}

TEST(ReadDecimalInt32, StopsAtTheEndOfTheViewNotAtATerminator) {
  const std::string text = "12345";
  EXPECT_EQ(ReadDecimalInt32(std::string_view(text).substr(0, 2)), 12);
  EXPECT_EQ(ReadHexInt32(std::string_view("0x1", 2)), 0);
  EXPECT_EQ(ReadDecimalInt32(std::string_view("1\0"
                                              "2",
                                              3)),
            1);
}

}  // namespace
}  // namespace keyloom::settings

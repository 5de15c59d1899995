#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "settings/Utf8Text.h"

namespace keyloom::settings {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

std::string Replaced(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += kReplacement;
  }
  return text;
}

TEST(ValidUtf8, ReplacesEachIllFormedPartOnce) {
  struct Case {
    std::string_view input;
    std::string expected;
  };
  const Case cases[] = {
      {"\x80", Replaced(1)},
      {"\xBF\x80", Replaced(2)},
      {"\xC0\xAF", Replaced(2)},          // overlong '/'
      {"\xC1\xBF", Replaced(2)},          // overlong
      {"\xE0\x80\xAF", Replaced(3)},      // overlong, three bytes
      {"\xF0\x80\x80\xAF", Replaced(4)},  // overlong, four bytes
      {"\xED\xA0\x80", Replaced(3)},      // a surrogate
      {"\xF4\x90\x80\x80", Replaced(4)},  // above U+10FFFF
      {"\xF5\x80", Replaced(2)},
      {"\xFF", Replaced(1)},
      {"\xE4\xB8", Replaced(1)},  // cut short at the end
      {"\xE4\xB8"
       "A",
       Replaced(1) + "A"},  // cut short by ASCII
      {"\xF0\x9F\x98"
       "\xE4\xB8\xAD",
       Replaced(1) + "\xE4\xB8\xAD"},
      {"Vol\xB5me", "Vol" + Replaced(1) + "me"},  // Latin-1 read as UTF-8
      {"\xC4\xE3\xBA\xC3", Replaced(3)},          // GBK read as UTF-8
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ValidUtf8(c.input), c.expected) << ::testing::PrintToString(std::string(c.input));
  }
}

TEST(ValidUtf8, KeepsWellFormedText) {
  const std::string_view texts[] = {
      "",
      "Play/Pause",
      std::string_view("a\0b", 3),
      "\xC2\x80\xDF\xBF",                                  // U+0080, U+07FF
      "\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF",  // U+0800, U+D7FF, U+E000, U+FFFF
      "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",                  // U+10000, U+10FFFF
      "\xE9\x9D\x99\xE9\x9F\xB3",                          // Chinese
      "\xE2\x80\x98",
  };
  for (const std::string_view text : texts) {
    EXPECT_EQ(ValidUtf8(text), text);
  }
}

TEST(XmlText, ReplacesWhatXml10DoesNotAllowAndKeepsTheRest) {
  struct Case {
    std::string_view input;
    std::string expected;
  };
  const Case cases[] = {
      {"Copy \xE5\xA4\x8D\xE5\x88\xB6", "Copy \xE5\xA4\x8D\xE5\x88\xB6"},
      {"tab\tline\ncr\r", "tab\tline\ncr\r"},
      {"red\x1b[31m", "red" + Replaced(1) + "[31m"},
      {"\x01\x08\x0B\x0C\x1F", Replaced(5)},
      {"\x7F\xC2\x9B", "\x7F\xC2\x9B"},  // DEL and C1 controls are XML characters
      {"a\xFF\xFE", "a" + Replaced(2)},
      {"\xEF\xBF\xBE\xEF\xBF\xBF\xEF\xBF\xBD", Replaced(3)},  // U+FFFE, U+FFFF, U+FFFD
      {"\xEF\xBF", Replaced(1)},
      {std::string_view("cut\0off", 7), "cut"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(XmlText(c.input), c.expected) << ::testing::PrintToString(std::string(c.input));
  }
}

}  // namespace
}  // namespace keyloom::settings

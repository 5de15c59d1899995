#include <gtest/gtest.h>

#include "cli/KeyArgument.h"
#include "protocol/KeyNameTable.h"

namespace keyloom::cli {
namespace {

TEST(KeyArgumentTest, RejectsWhatIsNeitherNameNorCode) {
  for (const char* text :
       {"", "00", "0x00", "256", "0x100", "0x", "-4", "4a", "Ctrl", "Keypad 1", " A"}) {
    EXPECT_FALSE(ParseKeyArgument(text).has_value()) << '"' << text << '"';
  }
}

TEST(KeyArgumentTest, NamesComeBeforeNumbers) {
  EXPECT_EQ(ParseKeyArgument("a"), 0x04);
  EXPECT_EQ(ParseKeyArgument("CTRL LEFT"), 0xE0);
  EXPECT_EQ(ParseKeyArgument("f5"), 0x3E);
  EXPECT_EQ(ParseKeyArgument("'"), 0x34);
  EXPECT_EQ(ParseKeyArgument("\xE2\x80\x98"), 0x34);
  // A single digit is the digit key, not a key code.
  EXPECT_EQ(ParseKeyArgument("4"), 0x21);
  EXPECT_EQ(ParseKeyArgument("57"), 57);
  EXPECT_EQ(ParseKeyArgument("0x04"), 0x04);
  EXPECT_EQ(ParseKeyArgument("0XE0"), 0xE0);
  EXPECT_EQ(ParseKeyArgument("255"), 255);
}

TEST(KeyArgumentTest, DisplayNameFallsBackToTheCode) {
  EXPECT_EQ(protocol::UsageName(0x04), "A");
  EXPECT_EQ(protocol::UsageName(0x87), "0x87");
}

}  // namespace
}  // namespace keyloom::cli

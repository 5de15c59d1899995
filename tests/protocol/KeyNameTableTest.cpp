#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "protocol/KeyNameTable.h"

namespace keyloom::protocol {
namespace {

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return lower;
}

const KeyNameEntry* EntryNamed(std::string_view name) {
  for (const KeyNameEntry& entry : kKeyNameTable) {
    if (entry.name == name) {
      return &entry;
    }
  }
  return nullptr;
}

TEST(KeyNameTable, RowsFollowTheKeyboardLayout) {
  struct Row {
    std::size_t index;
    std::uint8_t virtualKey;
    std::uint8_t usage;
    std::string_view name;
  };
  const Row rows[] = {
      {0, 0x1B, 0x29, "Esc"},        {15, 0x13, 0x48, "PAUSE"},        {16, 0xC0, 0x35, "~"},
      {50, 0xDC, 0x31, "\\"},        {69, 0xDE, 0x34, "\xE2\x80\x98"}, {70, 0x0D, 0x28, "Enter"},
      {90, 0x0D, 0x58, "Pad Enter"}, {94, 0x20, 0x2C, "SpaceBar"},     {97, 0x5D, 0x65, "App"},
      {103, 0x6E, 0x63, "Pad ."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.index);
    const KeyNameEntry& entry = kKeyNameTable.at(row.index);
    EXPECT_EQ(entry.virtualKey, row.virtualKey);
    EXPECT_EQ(entry.usage, row.usage);
    EXPECT_EQ(entry.name, row.name);
  }
  EXPECT_EQ(kKeyNameTable[50].name.size(), 1U);
}

// Letters, digits, function keys and keypad digits follow fixed rules of both code sets; each
// entry is checked against those rules rather than against a copy of the table.
TEST(KeyNameTable, LettersDigitsAndFunctionKeysMatchBothCodeSets) {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const KeyNameEntry* entry = EntryNamed(std::string(1, letter));
    ASSERT_NE(entry, nullptr) << letter;
    EXPECT_EQ(entry->virtualKey, static_cast<std::uint8_t>(letter)) << letter;
    EXPECT_EQ(entry->usage, 0x04 + (letter - 'A')) << letter;
  }
  for (int digit = 0; digit <= 9; ++digit) {
    const KeyNameEntry* entry = EntryNamed(std::to_string(digit));
    ASSERT_NE(entry, nullptr) << digit;
    EXPECT_EQ(entry->virtualKey, '0' + digit) << digit;
    EXPECT_EQ(entry->usage, digit == 0 ? 0x27 : 0x1E + digit - 1) << digit;

    const KeyNameEntry* pad = EntryNamed("Pad " + std::to_string(digit));
    ASSERT_NE(pad, nullptr) << digit;
    EXPECT_EQ(pad->virtualKey, 0x60 + digit) << digit;
    EXPECT_EQ(pad->usage, digit == 0 ? 0x62 : 0x59 + digit - 1) << digit;
  }
  for (int number = 1; number <= 12; ++number) {
    const KeyNameEntry* entry = EntryNamed("F" + std::to_string(number));
    ASSERT_NE(entry, nullptr) << number;
    EXPECT_EQ(entry->virtualKey, 0x70 + number - 1) << number;
    EXPECT_EQ(entry->usage, 0x3A + number - 1) << number;
  }
}

TEST(KeyNameTable, UsagesAndNamesAreUniqueAndOnlyEnterSharesAVirtualKey) {
  std::set<std::uint8_t> usages;
  std::set<std::string> names;
  std::set<std::uint8_t> virtualKeys;
  std::set<std::uint8_t> sharedVirtualKeys;
  for (const KeyNameEntry& entry : kKeyNameTable) {
    EXPECT_NE(entry.usage, 0) << entry.name;
    EXPECT_FALSE(entry.name.empty());
    EXPECT_TRUE(usages.insert(entry.usage).second) << entry.name;
    EXPECT_TRUE(names.insert(AsciiLower(entry.name)).second) << entry.name;
    if (!virtualKeys.insert(entry.virtualKey).second) {
      sharedVirtualKeys.insert(entry.virtualKey);
    }
  }
  EXPECT_EQ(usages.size(), kKeyNameCount);
  EXPECT_EQ(sharedVirtualKeys, std::set<std::uint8_t>{0x0D});
}

TEST(KeyNameTable, VirtualKeyLookupTakesTheFirstMatchOnTheLowEightBits) {
  EXPECT_EQ(UsageFromVirtualKey(0x0D), 0x28);
  EXPECT_EQ(UsageFromVirtualKey(0x10D), 0x28);
  EXPECT_EQ(UsageFromVirtualKey(0x41), 0x04);
  EXPECT_EQ(UsageFromVirtualKey(0x141), 0x04);
  EXPECT_EQ(UsageFromVirtualKey(0xFFFFFF41), 0x04);
  EXPECT_EQ(UsageFromVirtualKey(0xA2), 0xE0);

  EXPECT_EQ(UsageFromVirtualKey(0x00), std::nullopt);
  EXPECT_EQ(UsageFromVirtualKey(0x100), std::nullopt);
  EXPECT_EQ(UsageFromVirtualKey(0x10), std::nullopt);  // the generic Shift; only sides are known
  EXPECT_EQ(UsageFromVirtualKey(0xFF), std::nullopt);

  for (const KeyNameEntry& entry : kKeyNameTable) {
    const std::optional<std::uint8_t> usage = UsageFromVirtualKey(entry.virtualKey);
    ASSERT_TRUE(usage.has_value()) << entry.name;
    if (entry.name != "Pad Enter") {
      EXPECT_EQ(*usage, entry.usage) << entry.name;
    }
  }
}

TEST(KeyNameTable, NamesAndUsagesRoundTrip) {
  for (const KeyNameEntry& entry : kKeyNameTable) {
    EXPECT_EQ(NameFromUsage(entry.usage), entry.name);
    EXPECT_EQ(UsageFromName(entry.name), entry.usage) << entry.name;
  }
  int named = 0;
  for (int usage = 0; usage <= 0xFF; ++usage) {
    named += NameFromUsage(static_cast<std::uint8_t>(usage)).has_value() ? 1 : 0;
  }
  EXPECT_EQ(named, static_cast<int>(kKeyNameCount));
  EXPECT_EQ(NameFromUsage(0x00), std::nullopt);
  EXPECT_EQ(NameFromUsage(0x64), std::nullopt);
}

TEST(KeyNameTable, NameLookupIgnoresAsciiCaseOnly) {
  EXPECT_EQ(UsageFromName("ctrl left"), 0xE0);
  EXPECT_EQ(UsageFromName("CTRL LEFT"), 0xE0);
  EXPECT_EQ(UsageFromName("f5"), 0x3E);
  EXPECT_EQ(UsageFromName("a"), 0x04);
  EXPECT_EQ(UsageFromName("A"), 0x04);
  EXPECT_EQ(UsageFromName("pause"), 0x48);
  EXPECT_EQ(UsageFromName("pad enter"), 0x58);
  EXPECT_EQ(UsageFromName("enter"), 0x28);
  EXPECT_EQ(UsageFromName("\\"), 0x31);
  EXPECT_EQ(UsageFromName("\xE2\x80\x98"), 0x34);

  EXPECT_EQ(UsageFromName(""), std::nullopt);
  EXPECT_EQ(UsageFromName("Ctrl"), std::nullopt);
  EXPECT_EQ(UsageFromName("Ctrl Left "), std::nullopt);
  EXPECT_EQ(UsageFromName(" Ctrl Left"), std::nullopt);
  EXPECT_EQ(UsageFromName("CtrlLeft"), std::nullopt);
  EXPECT_EQ(UsageFromName("F13"), std::nullopt);
  EXPECT_EQ(UsageFromName("'"), std::nullopt);
  EXPECT_EQ(UsageFromName(std::string_view("A\0", 2)), std::nullopt);
}

// Shortcuts name each key as it is sent: the low 8 bits of the code.
TEST(KeyNameTable, ShortcutsNameTheirKeysShortly) {
  EXPECT_EQ(ShortcutText({0xE0, 0x06}), "Ctrl + C");
  EXPECT_EQ(ShortcutText({0xE4, 0xE5, 0x29}), "Ctrl + Shift + Esc");
  EXPECT_EQ(ShortcutText({0xE2, 0x3D}), "Alt + F4");
  EXPECT_EQ(ShortcutText({0xE7, 0x2C, 0xE6}), "Win + Space + Alt");
  EXPECT_EQ(ShortcutText({0x104, 0x68, 0}), "A + 0x68 + 0x00");
  EXPECT_EQ(ShortcutText({}), "");
}

}  // namespace
}  // namespace keyloom::protocol

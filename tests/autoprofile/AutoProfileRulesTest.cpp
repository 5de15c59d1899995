#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "autoprofile/AutoProfileRules.h"

namespace keyloom::autoprofile {
namespace {

FocusedWindow Window(std::string instance, std::string windowClass, std::string executable) {
  return {false, std::move(instance), std::move(windowClass), std::move(executable), false};
}

TEST(AutoProfileRulesTest, TheFirstMatchingRuleElseTheDefaultGivesTheProfile) {
  AutoProfileRules rules;
  rules.rules = {{"", "blender", 3},
                 {"steam_app_570", "", 2},
                 {"navigator", "firefox-esr", 1},
                 {"Dota2", "", 3}};
  rules.defaultProfile = 1;
  struct Case {
    const char* name;
    FocusedWindow window;
    std::optional<int> profile;
  };
  const std::vector<Case> cases = {
      {"no window has the focus: the default", FocusedWindow{}, 1},
      {"unmatched: the default", Window("xterm", "XTerm", "xterm"), 1},
      {"executable", Window("blender", "Blender", "blender"), 3},
      {"the instance name", Window("steam_app_570", "dota2", "dota2"), 2},
      {"the class name, whatever the case", Window("dota", "DOTA2", "dota2"), 3},
      {"the first matching rule", Window("steam_app_570", "Dota2", "dota2"), 2},
      {"class and executable must both match", Window("navigator", "Firefox", "firefox-esr"), 1},
      {"only the class of a two-field rule", Window("navigator", "Firefox", "firefox"), 1},
      {"a name is matched whole", Window("steam_app_5700", "x", "blender2"), 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rules.WantedProfile(c.window), c.profile) << c.name;
  }
  EXPECT_EQ(rules.MatchingRule(Window("navigator", "x", "firefox-esr")), 2U);
  rules.defaultProfile.reset();
  EXPECT_EQ(rules.WantedProfile(Window("xterm", "XTerm", "xterm")), std::nullopt);
}

TEST(AutoProfileRulesTest, EditsRefuseWhatIsNotARuleOrNotThere) {
  AutoProfileRules rules;
  EXPECT_FALSE(rules.Insert(0, {"", "", 1}));
  EXPECT_FALSE(rules.Insert(0, {"a", "", 0}));
  EXPECT_FALSE(rules.Insert(0, {"a", "", 4}));
  ASSERT_TRUE(rules.Insert(0, {"b", "", 2}));
  ASSERT_TRUE(rules.Insert(99, {"c", "", 3}));
  ASSERT_TRUE(rules.Insert(0, {"a", "", 1}));
  ASSERT_TRUE(rules.Insert(3, {"d", "", 1}));
  const auto names = [&rules] {
    std::string all;
    for (const AppRule& rule : rules.rules) {
      all += rule.windowClass;
    }
    return all;
  };
  EXPECT_EQ(names(), "abcd");
  EXPECT_TRUE(rules.Move(0, 2));
  EXPECT_EQ(names(), "bcad");
  EXPECT_TRUE(rules.Move(3, 0));
  EXPECT_EQ(names(), "dbca");
  EXPECT_FALSE(rules.Move(1, 4));
  EXPECT_FALSE(rules.Move(1, 1));
  EXPECT_FALSE(rules.Remove(4));
  EXPECT_TRUE(rules.Remove(1));
  EXPECT_EQ(names(), "dca");
  EXPECT_FALSE(rules.SetDefault(0));
  EXPECT_FALSE(rules.SetDefault(4));
  EXPECT_TRUE(rules.SetDefault(3));
  EXPECT_FALSE(rules.SetDefault(3));
  EXPECT_TRUE(rules.SetDefault(std::nullopt));
  EXPECT_TRUE(rules.SetEnabled(true));
  EXPECT_FALSE(rules.SetEnabled(true));
}

TEST(AutoProfileRulesTest, WritesTheFileFormatAndReadsItBack) {
  AutoProfileRules rules;
  rules.enabled = true;
  rules.defaultProfile = 1;
  rules.rules = {{"steam_app_570", "", 2}, {"", "b\"<&", 3}};
  const std::string xml = RulesToXml(rules);
  EXPECT_EQ(xml,
            "<?xml version=\"1.0\"?>\n"
            "<autoprofile enabled=\"1\" default=\"1\">\n"
            "\t<rule class=\"steam_app_570\" exe=\"\" profile=\"2\" />\n"
            "\t<rule class=\"\" exe=\"b&quot;&lt;&amp;\" profile=\"3\" />\n"
            "</autoprofile>\n");
  for (const bool enabled : {true, false}) {
    rules.enabled = enabled;
    AutoProfileRules read;
    const RulesParse parse = ParseRules(RulesToXml(rules), read);
    EXPECT_TRUE(parse.wellFormed);
    EXPECT_EQ(parse.leftOut, 0U);
    EXPECT_EQ(read, rules);
    rules.defaultProfile.reset();
  }
}

TEST(AutoProfileRulesTest, ReadingLeavesOutWhatIsNoRuleAndCountsIt) {
  struct Case {
    const char* name;
    const char* xml;
    std::size_t rules;
    std::size_t leftOut;
    std::optional<int> defaultProfile;
  };
  const std::vector<Case> cases = {
      {"empty file element", "<autoprofile/>", 0, 0, std::nullopt},
      {"no attributes: off, left as is", "<autoprofile><rule class='a' profile='1'/></autoprofile>",
       1, 0, std::nullopt},
      {"a rule that names nothing", "<autoprofile><rule profile='1'/></autoprofile>", 0, 1,
       std::nullopt},
      {"profiles outside 1-3",
       "<autoprofile><rule class='a' profile='0'/><rule class='a' profile='4'/>"
       "<rule class='a'/></autoprofile>",
       0, 3, std::nullopt},
      {"another element", "<autoprofile><rules class='a' profile='1'/></autoprofile>", 0, 1,
       std::nullopt},
      {"a default outside 0-3", "<autoprofile default='9'/>", 0, 1, std::nullopt},
      {"another top element", "<other/>", 0, 1, std::nullopt},
      {"a default", "<autoprofile default='2'/>", 0, 0, 2},
  };
  for (const Case& c : cases) {
    AutoProfileRules rules;
    const RulesParse parse = ParseRules(c.xml, rules);
    EXPECT_TRUE(parse.wellFormed) << c.name;
    EXPECT_EQ(rules.rules.size(), c.rules) << c.name;
    EXPECT_EQ(parse.leftOut, c.leftOut) << c.name;
    EXPECT_EQ(rules.defaultProfile, c.defaultProfile) << c.name;
    EXPECT_FALSE(rules.enabled) << c.name;
  }

  AutoProfileRules kept;
  kept.rules = {{"a", "", 1}};
  const RulesParse broken = ParseRules("<autoprofile enabled='1'><rule", kept);
  EXPECT_FALSE(broken.wellFormed);
  EXPECT_FALSE(broken.error.empty());
  EXPECT_EQ(kept.rules.size(), 1U);
}

// "enabled" as a person may write it; a word the reader does not know is left out, and off.
TEST(AutoProfileRulesTest, SwitchingReadsNumbersAndTheWordsForOnAndOff) {
  const struct {
    const char* value;
    bool enabled;
    std::size_t leftOut;
  } cases[] = {
      {"1", true, 0},      {"0", false, 0},   {"2", true, 0},  {" yes ", true, 0},
      {"YES", true, 0},    {"True", true, 0}, {"on", true, 0}, {"no", false, 0},
      {"FALSE", false, 0}, {"Off", false, 0}, {"", false, 0},  {"maybe", false, 1},
      {"+", false, 1},
  };
  for (const auto& c : cases) {
    AutoProfileRules rules;
    const RulesParse parse =
        ParseRules(std::string("<autoprofile enabled='") + c.value + "'/>", rules);
    EXPECT_EQ(rules.enabled, c.enabled) << c.value;
    EXPECT_EQ(parse.leftOut, c.leftOut) << c.value;
  }
}

}  // namespace
}  // namespace keyloom::autoprofile

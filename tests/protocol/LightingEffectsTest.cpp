#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "protocol/LightingEffects.h"

namespace keyloom::protocol {
namespace {

TEST(LightingEffectsTest, AModeIsNamedByItsNumberNameOrIdentifierInAnyCase) {
  const struct {
    std::string_view text;
    std::optional<int> mode;
  } cases[] = {
      {"", std::nullopt},
      {"10", std::nullopt},
      {"-1", std::nullopt},
      {" 0", std::nullopt},
      {"rainbow", std::nullopt},
      {"rainbow_wave", std::nullopt},
      {"Rainbow  wave", std::nullopt},
      {"0", 0},
      {"9", 9},
      {"Rainbow wave", 0},
      {"rainbow-wave", 0},
      {"RAINBOW WAVE", 0},
      {"Breathing", 4},
      {"breathing", 4},
      {"custom-areas", 8},
      {"Static rainbow", 7},
      {"static", 3},
      {"Reactive", 9},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LedModeFromName(c.text), c.mode) << '"' << c.text << '"';
  }
}

// The window's effect list and the table of the command line name the same effects in the same
// order.
TEST(LightingEffectsTest, TheSkinsEffectListShowsTheTablesNamesInOrder) {
  pugi::xml_document layout;
  const std::string file = std::string(KEYLOOM_SOURCE_DIR) + "/skin/uires/layout/ledmode.xml";
  ASSERT_TRUE(layout.load_file(file.c_str())) << file;
  const pugi::xml_node combo = layout.find_node([](const pugi::xml_node& node) {
    return std::string_view(node.name()) == "combobox" &&
           std::string_view(node.attribute("name").value()) == "cmb_led_mode";
  });
  ASSERT_TRUE(combo) << file;
  std::vector<std::string> shown;
  for (const pugi::xml_node item : combo.child("items").children("item")) {
    EXPECT_EQ(item.attribute("data").as_int(-1), static_cast<int>(shown.size()));
    shown.emplace_back(item.attribute("text").value());
  }
  std::vector<std::string> table;
  table.reserve(kLightingEffects.size());
  for (const LightingEffect& effect : kLightingEffects) {
    table.emplace_back(effect.name);
  }
  EXPECT_EQ(shown, table);
}

TEST(LightingEffectsTest, EachEffectTakesItsOwnParameters) {
  struct Case {
    int mode;
    EffectParameters parameters;  // direction, speed, brightness, colour, areas
  };
  const std::vector<Case> cases{
      {0, {true, true, true, false, false}},  {1, {true, true, true, true, false}},
      {3, {false, false, true, true, false}}, {4, {false, true, true, true, false}},
      {5, {false, true, true, false, false}}, {7, {false, false, true, false, false}},
      {8, {false, false, true, false, true}}, {9, {false, false, true, false, false}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(kLightingEffects[static_cast<std::size_t>(c.mode)].parameters, c.parameters)
        << "mode " << c.mode;
  }
}

}  // namespace
}  // namespace keyloom::protocol

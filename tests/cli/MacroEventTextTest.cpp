#include <optional>
#include <string_view>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/MacroEventText.h"

namespace keyloom::cli {
namespace {

using ::testing::HasSubstr;

constexpr std::uint8_t kA = 0x04;
constexpr std::uint8_t kC = 0x06;
constexpr std::uint8_t kCtrlLeft = 0xE0;
constexpr std::uint8_t kShiftLeft = 0xE1;

TEST(MacroEventTextTest, RefusesEventsItCannotReadNamingTheEvent) {
  const struct {
    std::string_view text;
    std::string_view message;
  } cases[] = {
      {"", "event 1 \"\": no key"},
      {"A,", "event 2 \"\": no key"},
      {"A down, Hyper up", "event 2 \"Hyper up\": \"Hyper\" is neither a key name"},
      {"A down 31001", "a delay is 0-31000 ms"},
      {"A down -5", "\"A down -5\" is neither"},
      {"\"Ctrl Left down", "a double quote is not closed"},
      {"down", "\"down\" is neither"},
      {"A sideways", "\"A sideways\" is neither"},
  };
  for (const auto& c : cases) {
    const ParsedEvents parsed = ParseEventText(c.text);
    EXPECT_THAT(parsed.error, HasSubstr(c.message)) << c.text;
    EXPECT_TRUE(parsed.events.empty()) << c.text;
  }
}

TEST(MacroEventTextTest, ReadsKeysStatesAndDelays) {
  using Events = std::vector<EventText>;
  const struct {
    std::string_view text;
    Events events;
  } cases[] = {
      {R"("Ctrl Left" down 20, C down 30, C up 20, "Ctrl Left" up)",
       {{kCtrlLeft, false, 20}, {kC, false, 30}, {kC, true, 20}, {kCtrlLeft, true, {}}}},
      {"ctrl left DOWN 5,0x06 Up", {{kCtrlLeft, false, 5}, {kC, true, {}}}},
      {"A", {{kA, false, {}}, {kA, true, {}}}},
      {"A 40", {{kA, false, {}}, {kA, true, 40}}},
      {"5", {{0x22, false, {}}, {0x22, true, {}}}},
      {"5 down 0", {{0x22, false, 0}}},
      {R"("," down, ' up 31000)", {{0x36, false, {}}, {0x34, true, 31000}}},
  };
  for (const auto& c : cases) {
    const ParsedEvents parsed = ParseEventText(c.text);
    EXPECT_EQ(parsed.error, "") << c.text;
    EXPECT_EQ(parsed.events, c.events) << c.text;
  }
}

TEST(MacroEventTextTest, TypesTextWithShiftWhereAUsLayoutNeedsIt) {
  const ParsedEvents hi = EventsTypingText("Hi!");
  EXPECT_EQ(hi.error, "");
  EXPECT_EQ(hi.events, (std::vector<EventText>{{kShiftLeft, false, {}},
                                               {0x0B, false, {}},
                                               {0x0B, true, {}},
                                               {kShiftLeft, true, {}},
                                               {0x0C, false, {}},
                                               {0x0C, true, {}},
                                               {kShiftLeft, false, {}},
                                               {0x1E, false, {}},
                                               {0x1E, true, {}},
                                               {kShiftLeft, true, {}}}));
  // Each character's key, pressed first, and whether Shift is held around it.
  const struct {
    char character;
    std::uint8_t code;
    bool shift;
  } keys[] = {{'a', 0x04, false}, {'Z', 0x1D, true},   {'0', 0x27, false},  {')', 0x27, true},
              {' ', 0x2C, false}, {'\n', 0x28, false}, {'-', 0x2D, false},  {'_', 0x2D, true},
              {'`', 0x35, false}, {'~', 0x35, true},   {'\'', 0x34, false}, {'"', 0x34, true},
              {'/', 0x38, false}, {'?', 0x38, true}};
  for (const auto& key : keys) {
    const ParsedEvents typed = EventsTypingText(std::string_view(&key.character, 1));
    ASSERT_EQ(typed.events.size(), key.shift ? 4U : 2U) << key.character;
    EXPECT_EQ(typed.events[key.shift ? 1 : 0], (EventText{key.code, false, {}})) << key.character;
  }
  const ParsedEvents refused = EventsTypingText("caf\xC3\xA9 \x01\xC3\xA9");
  EXPECT_TRUE(refused.events.empty());
  EXPECT_THAT(refused.error, HasSubstr("types \"\xC3\xA9\", \"\\x01\""));
  EXPECT_FALSE(EventsTypingText("").error.empty());
}

}  // namespace
}  // namespace keyloom::cli

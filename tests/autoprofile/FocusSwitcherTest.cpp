#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "autoprofile/FocusSwitcher.h"
#include "protocol/VirtualClock.h"

namespace keyloom::autoprofile {
namespace {

using Kind = FocusDecision::Kind;
using std::chrono::milliseconds;

FocusedWindow App(const char* instance, const char* executable = "") {
  return {false, instance, instance, executable, false};
}

FocusedWindow OwnWindow() {
  FocusedWindow window = App("keyloom", "keyloom");
  window.ownProgram = true;
  return window;
}

AutoProfileRules GameRules() {
  AutoProfileRules rules;
  rules.enabled = true;
  rules.defaultProfile = 1;
  rules.rules = {{"game", "", 2}, {"", "blender", 3}};
  return rules;
}

// One focus change after another, each settled, with the profile selected so far following
// what the switcher selects unless a step picks one by hand.
struct Step {
  const char* name;
  FocusedWindow window;
  Kind kind;
  int profile = 0;  // for kSelect and kAlreadySelected
  int pickedByHand = 0;
};

void RunSteps(const std::vector<Step>& steps, const AutoProfileRules& rules) {
  protocol::VirtualClock clock;
  FocusSwitcher switcher(clock);
  int selected = 1;
  for (const Step& step : steps) {
    if (step.pickedByHand != 0) {
      selected = step.pickedByHand;
    }
    clock.Advance(switcher.FocusChanged(step.window));
    const FocusDecision decision = switcher.Settle(rules, selected);
    EXPECT_EQ(decision.kind, step.kind) << step.name;
    if (step.kind == Kind::kSelect || step.kind == Kind::kAlreadySelected) {
      EXPECT_EQ(decision.profile, step.profile) << step.name;
    }
    if (decision.kind == Kind::kSelect) {
      selected = decision.profile;
    }
    EXPECT_EQ(switcher.Settle(rules, selected).kind, Kind::kNothingPending) << step.name;
  }
}

TEST(FocusSwitcherTest, SwitchesOncePerChangeOfApplicationToTheProfileItWants) {
  RunSteps(
      {
          {"a rule", App("game"), Kind::kSelect, 2},
          {"another window of the same application", App("game"), Kind::kSameApplication},
          {"unmatched: the default", App("xterm"), Kind::kSelect, 1},
          {"the wanted profile is selected already", App("editor"), Kind::kAlreadySelected, 1},
          {"by executable", App("blender-window", "blender"), Kind::kSelect, 3},
          {"no window has the focus: the default", FocusedWindow{}, Kind::kSelect, 1},
          {"the program's own window changes nothing", OwnWindow(), Kind::kOwnWindow},
          {"back from it to the same application", FocusedWindow{}, Kind::kSameApplication},
      },
      GameRules());
}

TEST(FocusSwitcherTest, APickByHandHoldsUntilTheFocusGoesToAnotherApplication) {
  RunSteps(
      {
          {"a rule", App("game"), Kind::kSelect, 2},
          {"picked 3 by hand in the window, back in the game", OwnWindow(), Kind::kOwnWindow, 0, 3},
          {"the game again: the pick holds", App("game"), Kind::kSameApplication},
          {"another application", App("xterm"), Kind::kSelect, 1},
          {"picked 2 by hand, then the game wants 2", App("game"), Kind::kAlreadySelected, 2, 2},
      },
      GameRules());
}

TEST(FocusSwitcherTest, NothingIsSelectedWhileSwitchingIsOffOrWithoutADefault) {
  AutoProfileRules off = GameRules();
  off.enabled = false;
  RunSteps({{"off", App("game"), Kind::kSwitchingOff}, {"off", App("x"), Kind::kSwitchingOff}},
           off);
  AutoProfileRules noDefault = GameRules();
  noDefault.defaultProfile.reset();
  RunSteps({{"a rule", App("game"), Kind::kSelect, 2},
            {"no rule, no default", App("xterm"), Kind::kLeftAsItIs}},
           noDefault);
}

TEST(FocusSwitcherTest, ABurstOfChangesSettlesOnceOnTheLastWindow) {
  protocol::VirtualClock clock;
  FocusSwitcher switcher(clock, milliseconds(300));
  const AutoProfileRules rules = GameRules();
  EXPECT_EQ(switcher.Settle(rules, 1).kind, Kind::kNothingPending);
  for (const char* name : {"xterm", "blender", "editor", "game"}) {
    EXPECT_EQ(switcher.FocusChanged(App(name)), milliseconds(300));
    clock.Advance(milliseconds(100));
    const FocusDecision early = switcher.Settle(rules, 1);
    EXPECT_EQ(early.kind, Kind::kWait) << name;
    EXPECT_EQ(early.wait, milliseconds(200)) << name;
  }
  clock.Advance(milliseconds(199));
  EXPECT_EQ(switcher.Settle(rules, 1).kind, Kind::kWait);
  clock.Advance(milliseconds(1));
  const FocusDecision settled = switcher.Settle(rules, 1);
  EXPECT_EQ(settled.kind, Kind::kSelect);
  EXPECT_EQ(settled.profile, 2);
  EXPECT_EQ(settled.window.instance, "game");
  EXPECT_EQ(switcher.Settle(rules, 2).kind, Kind::kNothingPending);
}

TEST(FocusSwitcherTest, DescribesTheDecisionOnOneSafeLine) {
  FocusDecision decision;
  decision.kind = Kind::kSelect;
  decision.profile = 2;
  decision.window = {false, "a\"b", "C\\D", "e\nf\x1b", false};
  EXPECT_EQ(DescribeDecision(decision),
            "focus \"a\\\"b\" \"C\\\\D\" \"e\\x0af\\x1b\": select profile 2");
  decision = {};
  decision.kind = Kind::kSameApplication;
  EXPECT_EQ(DescribeDecision(decision), "focus none: same application, nothing changes");
}

}  // namespace
}  // namespace keyloom::autoprofile

#include <string>
#include <string_view>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "protocol/KeyboardProtocol.h"
#include "protocol/LightingParameters.h"
#include "protocol/VirtualClock.h"
#include "sim/SimulatedKeyboard.h"

namespace keyloom::sim {
namespace {

using protocol::AssignmentOutcome;
using protocol::KeyAssignmentRecord;
using protocol::MakeKeyEvent;
using Half = protocol::KeySlotTable::Half;
using State = SimulatedKeyboardState;

// The program's protocol code against the simulated keyboard.
class SequencesOnSimulatedKeyboardTest : public ::testing::Test {
 protected:
  static KeyAssignmentRecord Macro() {
    KeyAssignmentRecord record;
    record.SetRepeatCount(2);
    record.SetEvent(0, MakeKeyEvent(0x04, false, 2000));
    record.SetEvent(1, MakeKeyEvent(0x04, true, 400));
    return record;
  }

  static KeyAssignmentRecord Remap(std::uint8_t target) {
    KeyAssignmentRecord record;
    record.SetKeyCode(target);
    return record;
  }

  AssignmentOutcome Apply(KeyAssignmentRecord record, const protocol::SelectedKeys& keys) {
    return protocol::ApplyKeyAssignment(link, state, state.profileIndex, record, keys).outcome;
  }

  SimulatedKeyboard keyboard;
  protocol::VirtualClock clock;
  protocol::Link link{keyboard, clock};
  // A factory keyboard's table, which the fresh state mirrors.
  protocol::KeyboardState state{.profileIndex = 0, .slots = {}, .slotsWhole = true, .lighting = {}};
};

TEST_F(SequencesOnSimulatedKeyboardTest, AMacroLandsInTheSlotTheProgramThenReadsBack) {
  state.profileIndex = 1;
  protocol::SelectProfile(link, 1);
  EXPECT_EQ(Apply(Macro(), {{0xE0, "Ctrl Left"}}), AssignmentOutcome::kDone);

  const State sim = keyboard.CurrentState();
  KeyAssignmentRecord expected = Macro();
  expected.SetProfileNumber(2);
  expected.SetSlotNumber(1);
  expected.SetKeyCode(0xE0);
  EXPECT_EQ(sim.profiles[1].macros[0], (State::MacroSlot{0xE0, expected}));
  EXPECT_EQ(state.slots.slot(Half::kMacro, 0), 0xE0);
  EXPECT_EQ(keyboard.ignored().total(), 0);
}

TEST_F(SequencesOnSimulatedKeyboardTest, TheSlotTableMirrorsEverySlotOfTheKeyboard) {
  // Remaps first: a remap also needs room in the macro half.
  protocol::KeySlotTable expected;
  for (std::uint8_t slot = 0; slot < 12; ++slot) {
    const auto remapKey = static_cast<std::uint8_t>(0x04 + slot);
    ASSERT_EQ(Apply(Remap(0x29), {{remapKey, "r"}}), AssignmentOutcome::kDone);
    expected.SetSlot(Half::kRemap, slot, remapKey);
  }
  for (std::uint8_t slot = 0; slot < 12; ++slot) {
    const auto macroKey = static_cast<std::uint8_t>(0x80 + slot);
    ASSERT_EQ(Apply(Macro(), {{macroKey, "m"}}), AssignmentOutcome::kDone);
    expected.SetSlot(Half::kMacro, slot, macroKey);
  }

  EXPECT_EQ(state.slots, expected);
  EXPECT_EQ(protocol::ReadKeySlots(link).slots, expected);
  EXPECT_EQ(keyboard.ignored().total(), 0);
}

TEST_F(SequencesOnSimulatedKeyboardTest, AFullMacroHalfStopsAtTheKeyThatDoesNotFit) {
  for (std::uint8_t slot = 0; slot < 11; ++slot) {
    Apply(Macro(), {{static_cast<std::uint8_t>(0x10 + slot), "m"}});
  }
  EXPECT_EQ(Apply(Macro(), {{0x04, "A"}, {0x05, "B"}}), AssignmentOutcome::kNoSpace);

  const State sim = keyboard.CurrentState();
  EXPECT_EQ(sim.profiles[0].macros[11].keyCode, 0x04);
  EXPECT_EQ(Apply(Remap(0x06), {{0x05, "B"}}), AssignmentOutcome::kNoSpace);
  EXPECT_EQ(keyboard.CurrentState(), sim);
}

TEST_F(SequencesOnSimulatedKeyboardTest, DeletingAKeyInBothHalvesTakesTheMacroFirstThenTheRemap) {
  Apply(Macro(), {{0x04, "A"}});
  Apply(Remap(0x05), {{0x04, "A"}});
  KeyAssignmentRecord record;

  protocol::DeleteKeyAssignment(link, state, 0, record, {{0x04, "A"}});
  State sim = keyboard.CurrentState();
  EXPECT_EQ(sim.profiles[0].macros[0], State::MacroSlot{});
  EXPECT_EQ(sim.profiles[0].remaps[0], (State::RemapSlot{0x04, 0x05}));

  protocol::DeleteKeyAssignment(link, state, 0, record, {{0x04, "A"}});
  EXPECT_EQ(keyboard.CurrentState(), State{});
  EXPECT_EQ(state.slots, protocol::KeySlotTable());
}

TEST_F(SequencesOnSimulatedKeyboardTest, FactoryRestoreBringsBothSidesBackToTheStart) {
  state.profileIndex = 2;
  protocol::SelectProfile(link, 2);
  Apply(Macro(), {{0x04, "A"}});
  const protocol::LightingParameters lighting{.ledMode = 4, .brightness = 1};
  state.lighting[4] = lighting.Encode(state.lighting[4]);
  protocol::SendLighting(link, 4, state.lighting);
  ASSERT_NE(keyboard.CurrentState(), State{});

  const protocol::RestoreResult result =
      protocol::RestoreFactory(link, state, [&] { protocol::SelectProfile(link, 0); });

  EXPECT_TRUE(result.transfers.ok());
  EXPECT_TRUE(result.slotsWhole);
  EXPECT_EQ(keyboard.CurrentState(), State{});
  EXPECT_EQ(state.profileIndex, 0);
  EXPECT_EQ(state.lighting, protocol::LightingTable());
  EXPECT_EQ(state.slots, protocol::KeySlotTable());
}

TEST_F(SequencesOnSimulatedKeyboardTest, LightingReachesTheKeyboard) {
  protocol::LightingParameters lighting{.ledMode = 8, .brightness = 2};
  lighting.areas = {1, 2, 3, 4, 5, protocol::kNoColour};
  state.lighting[8] = lighting.Encode(state.lighting[8]);
  protocol::SendLighting(link, 8, state.lighting);

  const State sim = keyboard.CurrentState();
  EXPECT_EQ(sim.ledMode, 8);
  EXPECT_EQ(sim.lighting[8], state.lighting[8]);
}

TEST_F(SequencesOnSimulatedKeyboardTest, ARecordSurvivesRejectedFramesWithinItsRetries) {
  keyboard.FailNextTransfers(3);
  Apply(Macro(), {{0x04, "A"}});

  EXPECT_EQ(keyboard.CurrentState().profiles[0].macros[0].keyCode, 0x04);
  EXPECT_EQ(keyboard.ignored().total(), 0);
}

TEST_F(SequencesOnSimulatedKeyboardTest, ARecordWhoseStartFrameIsLostIsNotStored) {
  keyboard.FailNextTransfers(4);
  Apply(Macro(), {{0x04, "A"}});

  EXPECT_EQ(keyboard.CurrentState(), State{});
  EXPECT_EQ(keyboard.ignored().continuationWithoutStart, 27);
  EXPECT_EQ(state.slots, protocol::KeySlotTable());
}

}  // namespace
}  // namespace keyloom::sim

// The simulated keyboard's frame handling on any stream of transfers: it must never crash, and
// whatever it was sent, its state stays one a keyboard can be in: a profile and LED mode in
// range, and every macro slot holding a whole record addressed to that very slot.
//
// The input is read in steps of nine bytes: an operation byte, then an eight-byte report.
// Operation (low three bits): 0-3 set, 4-5 get, 6 unplug and plug in again, 7 lose the next
// transfers (the report's byte 1, up to 3).

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "hid/Report.h"
#include "protocol/CommandSet.h"
#include "sim/SimulatedKeyboard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace keyloom;
  constexpr std::size_t kStep = 1 + hid::kReportSize;
  sim::SimulatedKeyboard keyboard;
  for (std::size_t at = 0; at + kStep <= size; at += kStep) {
    hid::Report report{};
    for (std::size_t i = 0; i < hid::kReportSize; ++i) {
      report[i] = data[at + 1 + i];
    }
    switch (data[at] & 0x07) {
      case 4:
      case 5:
        if (keyboard.GetFeature(report) && report[0] != protocol::kReportId) {
          std::abort();
        }
        break;
      case 6:
        keyboard.SetPlugged(false);
        keyboard.SetPlugged(true);
        break;
      case 7:
        keyboard.FailNextTransfers(report[1] & 0x03);
        break;
      default:
        keyboard.SetFeature(report);
        break;
    }
  }
  const sim::SimulatedKeyboardState state = keyboard.CurrentState();
  if (state.activeProfile >= sim::SimulatedKeyboardState::kProfileCount || state.ledMode < 0 ||
      state.ledMode > 9) {
    std::abort();
  }
  for (std::size_t p = 0; p < state.profiles.size(); ++p) {
    for (std::size_t s = 0; s < state.profiles[p].macros.size(); ++s) {
      const auto& macro = state.profiles[p].macros[s];
      if (macro.keyCode == 0) {
        if (!(macro.record == protocol::KeyAssignmentRecord())) {
          std::abort();
        }
        continue;
      }
      if (macro.record.profileNumber() != p + 1 || macro.record.slotNumber() != s + 1 ||
          macro.record.keyCode() != macro.keyCode) {
        std::abort();
      }
    }
    for (const auto& remap : state.profiles[p].remaps) {
      if (remap.keyCode == 0 && remap.targetKeyCode != 0) {
        std::abort();
      }
    }
  }
  return 0;
}

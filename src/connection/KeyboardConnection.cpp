#include "connection/KeyboardConnection.h"

#include <system_error>
#include <utility>

#include "protocol/CommandSet.h"
#include "protocol/KeyAssignmentRecord.h"

namespace keyloom::connection {

namespace {

using Half = protocol::KeySlotTable::Half;
using protocol::AssignmentOutcome;

std::filesystem::path KeyMapPath(const std::filesystem::path& dataDir,
                                 const keymap::KeyboardModel& model) {
  return dataDir.empty() ? std::filesystem::path() : dataDir / keymap::KeyMapFileName(model);
}

// Whether the outcome says that frames of the change were sent.
bool SentSomething(AssignmentOutcome outcome) {
  return outcome != AssignmentOutcome::kNoSpace && outcome != AssignmentOutcome::kNothingToAssign &&
         outcome != AssignmentOutcome::kSlotsUnknown;
}

// Whether the frame that a sequence's transfers failed on first, if any, is not `command`: a
// sequence that starts with that frame got it through.
bool Took(const protocol::Transfers& transfers, std::uint8_t command) {
  const auto& failure = transfers.firstFailure();
  return !failure || failure->kind != protocol::Transfers::Kind::kSet ||
         failure->frame[1] != command;
}

}  // namespace

KeyboardConnection::KeyboardConnection(Settings settings)
    : selector_(settings.selector),
      diagnostics_(std::move(settings.diagnostics)),
      model_{settings.selector.vendorId, settings.selector.productId},
      keyMap_(KeyMapPath(settings.dataDir, model_), model_) {
  if (!settings.dataDir.empty()) {
    // A folder that cannot be made shows up as the key map's save error and the simulated
    // keyboard's persistence error.
    std::error_code ignored;
    std::filesystem::create_directories(settings.dataDir, ignored);
  }
  backend_ = settings.backend != nullptr ? settings.backend : &hid::SystemHidBackend();
  if (settings.simulate) {
    std::filesystem::path stateFile;
    if (!settings.dataDir.empty()) {
      stateFile = settings.dataDir / sim::kStateFileName;
    }
    simKeyboard_ = std::make_unique<sim::SimulatedKeyboard>(stateFile);
    simKeyboard_->FailTransfers(std::move(settings.simulatedFailures));
    simBackend_ = std::make_unique<sim::SimulatedHidBackend>(*simKeyboard_, selector_);
    backend_ = simBackend_.get();
  }
  gate_ = hid::MakeNamedDeviceGate();
  device_ = std::make_unique<hid::HidDevice>(*backend_, *gate_, diagnostics_);

  hid::Transport* transport = device_.get();
  protocol::Clock* clock = settings.clock != nullptr ? settings.clock : &steadyClock_;
  if (settings.transferTrace) {
    tracingTransport_ =
        std::make_unique<protocol::TracingTransport>(*transport, settings.transferTrace);
    tracingClock_ = std::make_unique<protocol::TracingClock>(*clock, settings.transferTrace);
    transport = tracingTransport_.get();
    clock = tracingClock_.get();
  }
  link_ = std::make_unique<protocol::Link>(protocol::Link{*transport, *clock});
  RefreshKeyMap();
}

KeyboardConnection::~KeyboardConnection() = default;

bool KeyboardConnection::IsKeyboardPresent() {
  return !backend_->FindInterfaces(selector_, diagnostics_).empty();
}

bool KeyboardConnection::Open() {
  return device_->Open(selector_);
}

void KeyboardConnection::Close() {
  device_->Close();
}

void KeyboardConnection::RefreshKeyMap() {
  const storage::OpenReport report = keyMap_.Open();
  keyMapProblem_.reset();
  if (!report.ok()) {
    keyMapProblem_ = report.problem;
  }
}

void KeyboardConnection::UpdateKeyMap(const std::function<void(keymap::KeyMap&)>& change) {
  const storage::EditResult result = keyMap_.Update(change);
  keyMapProblem_.reset();
  if (!result.reread.ok()) {
    keyMapProblem_ = result.reread.problem;
  }
  if (!result.saved.ok()) {
    keyMapProblem_ = result.saved.error();
  }
}

void KeyboardConnection::TakeSelectAndRead(int profileIndex, const protocol::SlotRead& read) {
  UpdateKeyMap([&](keymap::KeyMap& map) {
    // A select the keyboard did not take leaves the profile it had active.
    if (Took(read.transfers, protocol::kCommandSelectProfile)) {
      map.ProfileSelected(profileIndex);
    }
    if (read.whole) {
      map.Reconcile(profileIndex, read.slots);
    }
  });
}

protocol::SlotRead KeyboardConnection::SelectProfile(protocol::KeyboardState& state) {
  const hid::GateHold hold(*gate_);
  const protocol::SlotRead read = protocol::SelectAndReadProfile(*link_, state);
  TakeSelectAndRead(state.profileIndex, read);
  return read;
}

protocol::SlotRead KeyboardConnection::ReadSlots(protocol::KeyboardState& state) {
  const hid::GateHold hold(*gate_);
  protocol::SlotRead read = protocol::ReadKeySlots(*link_);
  state.slots = read.slots;
  state.slotsWhole = read.whole;
  UpdateKeyMap([&](keymap::KeyMap& map) {
    if (const auto active = map.SelectedProfile(); active && read.whole) {
      map.Reconcile(*active, read.slots);
    }
  });
  return read;
}

protocol::Transfers KeyboardConnection::SendLighting(int ledMode,
                                                     const protocol::LightingTable& lighting) {
  const hid::GateHold hold(*gate_);
  protocol::Transfers sent = protocol::SendLighting(*link_, ledMode, lighting);
  if (sent.sets() > 0) {
    UpdateKeyMap([&](keymap::KeyMap& map) {
      if (sent.ok()) {
        map.LightingSent(ledMode, lighting[ledMode]);
      } else {
        map.LightingLost(ledMode);
      }
    });
  }
  return sent;
}

protocol::AssignmentResult KeyboardConnection::Assign(protocol::KeyboardState& state,
                                                      int profileEntry,
                                                      const keymap::KeyContent& content,
                                                      const protocol::SelectedKeys& keys) {
  protocol::KeyAssignmentRecord record = content.Record();
  if (!protocol::NamesAnAssignment(record)) {
    protocol::AssignmentResult nothing;
    nothing.outcome = AssignmentOutcome::kNothingToAssign;
    return nothing;
  }
  const hid::GateHold hold(*gate_);
  const protocol::SlotRead read = protocol::SelectAndReadProfile(*link_, state);
  protocol::AssignmentResult result =
      protocol::ApplyKeyAssignment(*link_, state, profileEntry, record, keys);
  UpdateKeyMap([&](keymap::KeyMap& map) {
    if (Took(read.transfers, protocol::kCommandSelectProfile)) {
      map.ProfileSelected(state.profileIndex);
    }
    if (read.whole) {
      map.Reconcile(state.profileIndex, read.slots);
    }
    for (const protocol::KeyPlacement& placement : result.placements) {
      if (!placement.slot) {
        continue;
      }
      if (placement.profileIndex == state.profileIndex) {
        map.Forget(placement.profileIndex, placement.half, *placement.slot);
      } else {
        // A remap into a profile whose slots were not read: which slot it took is not known.
        map.ForgetHalf(placement.profileIndex, placement.half);
      }
    }
    for (const protocol::KeyPlacement& placement : result.placements) {
      if (placement.outcome == AssignmentOutcome::kDone &&
          placement.profileIndex == state.profileIndex) {
        map.Record(placement.profileIndex, placement.half, *placement.slot, placement.keyCode,
                   content);
      }
    }
    // Checked against the read that ended the last change, where it was whole.
    if (state.slotsWhole) {
      map.Reconcile(state.profileIndex, state.slots);
    }
  });
  result.transfers.Prepend(read.transfers);
  return result;
}

protocol::AssignmentResult KeyboardConnection::Delete(protocol::KeyboardState& state,
                                                      int profileEntry,
                                                      const protocol::SelectedKeys& keys) {
  const hid::GateHold hold(*gate_);
  const protocol::SlotRead read = protocol::SelectAndReadProfile(*link_, state);
  protocol::KeyAssignmentRecord record;
  protocol::AssignmentResult result =
      protocol::DeleteKeyAssignment(*link_, state, profileEntry, record, keys);
  UpdateKeyMap([&](keymap::KeyMap& map) {
    if (Took(read.transfers, protocol::kCommandSelectProfile)) {
      map.ProfileSelected(state.profileIndex);
    }
    if (read.whole) {
      map.Reconcile(state.profileIndex, read.slots);
    }
    // A removal that the final read does not confirm may have changed the slot.
    for (const protocol::KeyPlacement& placement : result.placements) {
      if (placement.outcome != AssignmentOutcome::kDone) {
        map.Forget(placement.profileIndex, placement.half, *placement.slot);
      }
    }
    if (state.slotsWhole) {
      map.Reconcile(state.profileIndex, state.slots);
    }
  });
  result.transfers.Prepend(read.transfers);
  return result;
}

KeyboardConnection::SlotPlacement KeyboardConnection::PlaceInSlot(
    protocol::KeyboardState& state, Half half, std::size_t slot, std::uint8_t keyCode,
    const std::optional<keymap::KeyContent>& content) {
  const hid::GateHold hold(*gate_);
  const protocol::SlotRead read = protocol::SelectAndReadProfile(*link_, state);
  TakeSelectAndRead(state.profileIndex, read);
  SlotPlacement placement;
  placement.result.keyCode = keyCode;
  placement.result.half = half;
  placement.result.slot = slot;
  placement.result.transfers = read.transfers;
  if (!read.whole) {
    placement.result.outcome = AssignmentOutcome::kSlotsUnknown;
    return placement;
  }
  const std::uint8_t held = state.slots.slot(half, slot);
  const auto& known = keyMap_.Map().Profile(state.profileIndex).At(half, slot);
  if (!content) {
    if (held == 0) {
      return placement;
    }
    placement.result = protocol::ClearKeySlot(*link_, state, half, slot);
  } else {
    if (held == keyCode && known && known->keyCode == keyCode &&
        known->content.SameOnKeyboard(*content)) {
      UpdateKeyMap([&](keymap::KeyMap& map) {
        map.Record(state.profileIndex, half, slot, keyCode, *content);
      });
      return placement;
    }
    placement.result =
        protocol::PlaceKeyAssignment(*link_, state, half, slot, keyCode, content->Record());
  }
  placement.sent = SentSomething(placement.result.outcome);
  const AssignmentOutcome outcome = placement.result.outcome;
  UpdateKeyMap([&](keymap::KeyMap& map) {
    if (placement.sent) {
      map.Forget(state.profileIndex, half, slot);
    }
    if (state.slotsWhole) {
      map.Reconcile(state.profileIndex, state.slots);
    }
    if (content && outcome == AssignmentOutcome::kDone) {
      map.Record(state.profileIndex, half, slot, keyCode, *content);
    }
  });
  placement.result.transfers.Prepend(read.transfers);
  return placement;
}

protocol::RestoreResult KeyboardConnection::RestoreFactory(
    protocol::KeyboardState& state, const std::function<void()>& afterReset) {
  const hid::GateHold hold(*gate_);
  protocol::RestoreResult result = protocol::RestoreFactory(*link_, state, afterReset);
  const bool restored = Took(result.transfers, protocol::kCommandRestoreFactory);
  UpdateKeyMap([&](keymap::KeyMap& map) {
    if (!restored) {
      return;
    }
    map.FactoryRestored();
    if (result.slotsWhole) {
      map.Reconcile(0, state.slots);
    }
  });
  return result;
}

std::optional<std::string> KeyboardConnection::SimulatorProblem() const {
  if (!simKeyboard_) {
    return std::nullopt;
  }
  return simKeyboard_->persistenceError();
}

std::optional<std::filesystem::path> KeyboardConnection::SimulatorStateKeptAside() const {
  if (!simKeyboard_) {
    return std::nullopt;
  }
  return simKeyboard_->brokenStateKeptAs();
}

}  // namespace keyloom::connection

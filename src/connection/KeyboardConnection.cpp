#include "connection/KeyboardConnection.h"

#include <system_error>
#include <utility>
#include <vector>

#include "protocol/CommandSet.h"

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

// A slot a change is sent to: the profile, the half and the slot.
struct Target {
  int profileIndex = 0;
  Half half = Half::kMacro;
  std::size_t slot = 0;
  std::uint8_t keyCode = 0;
};

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

protocol::AssignmentResult KeyboardConnection::Assign(
    protocol::KeyboardState& state, int profileEntry, protocol::KeyAssignmentRecord& record,
    const protocol::SelectedKeys& keys, const std::optional<keymap::ContentLabel>& label) {
  if (!protocol::NamesAnAssignment(record)) {
    protocol::AssignmentResult nothing;
    nothing.outcome = protocol::AssignmentOutcome::kNothingToAssign;
    return nothing;
  }
  const hid::GateHold hold(*gate_);
  const protocol::SlotRead read = protocol::SelectAndReadProfile(*link_, state);
  // Where each key's change goes: a macro into the profile's macro half, a remap into the remap
  // half of the profile entry's profile, by the slot search on the table just read.
  const Half half = record.IsMacro() ? Half::kMacro : Half::kRemap;
  const int profile = half == Half::kMacro ? state.profileIndex : profileEntry;
  std::vector<Target> targets;
  for (const auto& [keyCode, name] : keys) {
    if (const auto slot = state.slots.FindSlot(half, keyCode)) {
      targets.push_back({profile, half, *slot, keyCode});
    }
  }
  const keymap::KeyContent content = keymap::ContentOf(record, label);
  protocol::AssignmentResult result =
      protocol::ApplyKeyAssignment(*link_, state, profileEntry, record, keys);
  UpdateKeyMap([&](keymap::KeyMap& map) {
    if (Took(read.transfers, protocol::kCommandSelectProfile)) {
      map.ProfileSelected(state.profileIndex);
    }
    if (read.whole) {
      map.Reconcile(state.profileIndex, read.slots);
    }
    if (SentSomething(result.outcome)) {
      for (const Target& target : targets) {
        if (target.profileIndex == state.profileIndex) {
          map.Forget(target.profileIndex, target.half, target.slot);
        } else {
          // A remap into a profile whose slots were not read: which slot it took is not known.
          map.ForgetHalf(target.profileIndex, target.half);
        }
      }
    }
    if (state.slotsWhole) {
      map.Reconcile(state.profileIndex, state.slots);
    }
    if (result.outcome != protocol::AssignmentOutcome::kDone || profile != state.profileIndex) {
      return;
    }
    for (const Target& target : targets) {
      if (const auto slot = state.slots.FindExact(half, target.keyCode)) {
        map.Record(state.profileIndex, half, *slot, target.keyCode, content);
      }
    }
  });
  result.transfers.Prepend(read.transfers);
  return result;
}

protocol::AssignmentResult KeyboardConnection::Delete(protocol::KeyboardState& state,
                                                      int profileEntry,
                                                      protocol::KeyAssignmentRecord& record,
                                                      const protocol::SelectedKeys& keys) {
  const hid::GateHold hold(*gate_);
  const protocol::SlotRead read = protocol::SelectAndReadProfile(*link_, state);
  std::vector<Target> targets;
  for (const auto& [keyCode, name] : keys) {
    if (const auto slot = state.slots.FindExact(Half::kMacro, keyCode)) {
      targets.push_back({state.profileIndex, Half::kMacro, *slot, keyCode});
    } else if (const auto remap = state.slots.FindExact(Half::kRemap, keyCode);
               remap && profileEntry >= 0) {
      targets.push_back({profileEntry, Half::kRemap, *remap, keyCode});
    }
  }
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
    if (SentSomething(result.outcome) && result.outcome != AssignmentOutcome::kDone) {
      for (const Target& target : targets) {
        map.Forget(target.profileIndex, target.half, target.slot);
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

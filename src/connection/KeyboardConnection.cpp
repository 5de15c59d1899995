#include "connection/KeyboardConnection.h"

#include <cstdlib>
#include <system_error>
#include <utility>
#include <variant>

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

// The key map takes a select of profile `profileIndex` and the slot read after it.
void RecordSelectAndRead(keymap::KeyMap& map, int profileIndex, const protocol::SlotRead& read) {
  // A select the keyboard did not take leaves the profile it had active.
  if (Took(read.transfers, protocol::kCommandSelectProfile)) {
    map.ProfileSelected(profileIndex);
  }
  if (read.whole) {
    map.Reconcile(profileIndex, read.slots);
  }
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
  state_.profileIndex = keyMap_.Map().SelectedProfile().value_or(0);
  state_.lighting = keyMap_.Map().LightingToStartFrom();
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
  UpdateKeyMap([&](keymap::KeyMap& map) { RecordSelectAndRead(map, profileIndex, read); });
}

KeyboardConnection::Subscription& KeyboardConnection::Subscription::operator=(
    Subscription&& other) noexcept {
  if (this != &other) {
    Reset();
    connection_ = std::exchange(other.connection_, nullptr);
    id_ = other.id_;
  }
  return *this;
}

void KeyboardConnection::Subscription::Reset() {
  if (connection_ != nullptr) {
    connection_->listeners_.erase(id_);
    connection_ = nullptr;
  }
}

KeyboardConnection::Subscription KeyboardConnection::Subscribe(StateListener listener) {
  const std::uint64_t id = nextListener_++;
  listeners_.emplace(id, std::move(listener));
  return {*this, id};
}

void KeyboardConnection::Announce(const StateChange& change) {
  // A listener may subscribe or unsubscribe listeners while it is told: each one is looked up
  // again before it is told, and one added meanwhile waits for the next change.
  const std::uint64_t end = nextListener_;
  for (auto it = listeners_.begin(); it != listeners_.end() && it->first < end;) {
    const std::uint64_t id = it->first;
    const StateListener listener = it->second;
    listener(change);
    it = listeners_.upper_bound(id);
  }
}

protocol::SlotRead KeyboardConnection::SelectProfile(int profileIndex) {
  protocol::SlotRead read;
  {
    const hid::GateHold hold(*gate_);
    state_.profileIndex = profileIndex;
    read = protocol::SelectAndReadProfile(*link_, state_);
    TakeSelectAndRead(profileIndex, read);
  }
  Announce({.profile = true, .slots = true, .lighting = false});
  return read;
}

protocol::SlotRead KeyboardConnection::ReadSlots() {
  protocol::SlotRead read;
  {
    const hid::GateHold hold(*gate_);
    read = protocol::ReadKeySlots(*link_);
    state_.slots = read.slots;
    state_.slotsWhole = read.whole;
    UpdateKeyMap([&](keymap::KeyMap& map) {
      if (const auto active = map.SelectedProfile(); active && read.whole) {
        map.Reconcile(*active, read.slots);
      }
    });
  }
  Announce({.profile = false, .slots = true, .lighting = false});
  return read;
}

protocol::Transfers KeyboardConnection::SendLighting(int ledMode,
                                                     const protocol::LightingRecord& record) {
  if (!protocol::LightingTable::IsLedMode(ledMode)) {
    return {};
  }
  protocol::Transfers sent;
  {
    const hid::GateHold hold(*gate_);
    state_.lighting[ledMode] = record;
    sent = protocol::SendLighting(*link_, ledMode, state_.lighting);
    if (sent.sets() > 0) {
      UpdateKeyMap([&](keymap::KeyMap& map) {
        if (sent.ok()) {
          map.LightingSent(ledMode, record);
        } else {
          map.LightingLost(ledMode);
        }
      });
    }
  }
  Announce({.profile = false, .slots = false, .lighting = true});
  return sent;
}

void KeyboardConnection::TakeLightingFromKeyMap() {
  state_.lighting = keyMap_.Map().LightingToStartFrom();
  Announce({.profile = false, .slots = false, .lighting = true});
}

protocol::AssignmentResult KeyboardConnection::Assign(int profileIndex, int profileEntry,
                                                      const keymap::KeyContent& content,
                                                      const protocol::SelectedKeys& keys) {
  protocol::KeyAssignmentRecord record = content.Record();
  if (!protocol::NamesAnAssignment(record)) {
    protocol::AssignmentResult nothing;
    nothing.outcome = AssignmentOutcome::kNothingToAssign;
    return nothing;
  }
  protocol::AssignmentResult result;
  {
    const hid::GateHold hold(*gate_);
    state_.profileIndex = profileIndex;
    const protocol::SlotRead read = protocol::SelectAndReadProfile(*link_, state_);
    result = protocol::ApplyKeyAssignment(*link_, state_, profileEntry, record, keys);
    UpdateKeyMap([&](keymap::KeyMap& map) {
      RecordSelectAndRead(map, profileIndex, read);
      for (const protocol::KeyPlacement& placement : result.placements) {
        if (!placement.slot) {
          continue;
        }
        if (placement.profileIndex == profileIndex) {
          map.Forget(placement.profileIndex, placement.half, *placement.slot);
        } else {
          // A remap into a profile whose slots were not read: which slot it took is not known.
          map.ForgetHalf(placement.profileIndex, placement.half);
        }
      }
      for (const protocol::KeyPlacement& placement : result.placements) {
        if (placement.outcome == AssignmentOutcome::kDone &&
            placement.profileIndex == profileIndex) {
          map.Record(placement.profileIndex, placement.half, *placement.slot, placement.keyCode,
                     content);
        }
      }
      // Checked against the read that ended the last change, where it was whole.
      if (state_.slotsWhole) {
        map.Reconcile(profileIndex, state_.slots);
      }
    });
    result.transfers.Prepend(read.transfers);
  }
  Announce({.profile = true, .slots = true, .lighting = false});
  return result;
}

protocol::AssignmentResult KeyboardConnection::Delete(int profileIndex, int profileEntry,
                                                      const protocol::SelectedKeys& keys) {
  protocol::AssignmentResult result;
  {
    const hid::GateHold hold(*gate_);
    state_.profileIndex = profileIndex;
    const protocol::SlotRead read = protocol::SelectAndReadProfile(*link_, state_);
    protocol::KeyAssignmentRecord record;
    result = protocol::DeleteKeyAssignment(*link_, state_, profileEntry, record, keys);
    UpdateKeyMap([&](keymap::KeyMap& map) {
      RecordSelectAndRead(map, profileIndex, read);
      // A removal that the final read does not confirm may have changed the slot.
      for (const protocol::KeyPlacement& placement : result.placements) {
        if (placement.outcome != AssignmentOutcome::kDone) {
          map.Forget(placement.profileIndex, placement.half, *placement.slot);
        }
      }
      if (state_.slotsWhole) {
        map.Reconcile(profileIndex, state_.slots);
      }
    });
    result.transfers.Prepend(read.transfers);
  }
  Announce({.profile = true, .slots = true, .lighting = false});
  return result;
}

KeyboardConnection::SlotPlacement KeyboardConnection::PlaceInSlot(
    int profileIndex, Half half, std::size_t slot, std::uint8_t keyCode,
    const std::optional<keymap::KeyContent>& content) {
  SlotPlacement placement;
  {
    const hid::GateHold hold(*gate_);
    placement = PlaceInSlotHeld(profileIndex, half, slot, keyCode, content);
  }
  Announce({.profile = true, .slots = true, .lighting = false});
  return placement;
}

KeyboardConnection::SlotPlacement KeyboardConnection::PlaceInSlotHeld(
    int profileIndex, Half half, std::size_t slot, std::uint8_t keyCode,
    const std::optional<keymap::KeyContent>& content) {
  state_.profileIndex = profileIndex;
  const protocol::SlotRead read = protocol::SelectAndReadProfile(*link_, state_);
  TakeSelectAndRead(profileIndex, read);
  SlotPlacement placement;
  placement.result.keyCode = keyCode;
  placement.result.half = half;
  placement.result.slot = slot;
  placement.result.transfers = read.transfers;
  if (!read.whole) {
    placement.result.outcome = AssignmentOutcome::kSlotsUnknown;
    return placement;
  }
  const std::uint8_t held = state_.slots.slot(half, slot);
  const auto& known = keyMap_.Map().Profile(profileIndex).At(half, slot);
  if (!content) {
    if (held == 0) {
      return placement;
    }
    placement.result = protocol::ClearKeySlot(*link_, state_, half, slot);
  } else {
    if (held == keyCode && known && known->keyCode == keyCode &&
        known->content.SameOnKeyboard(*content)) {
      UpdateKeyMap(
          [&](keymap::KeyMap& map) { map.Record(profileIndex, half, slot, keyCode, *content); });
      return placement;
    }
    placement.result =
        protocol::PlaceKeyAssignment(*link_, state_, half, slot, keyCode, content->Record());
  }
  placement.sent = SentSomething(placement.result.outcome);
  const AssignmentOutcome outcome = placement.result.outcome;
  UpdateKeyMap([&](keymap::KeyMap& map) {
    if (placement.sent) {
      map.Forget(profileIndex, half, slot);
    }
    if (state_.slotsWhole) {
      map.Reconcile(profileIndex, state_.slots);
    }
    if (content && outcome == AssignmentOutcome::kDone) {
      map.Record(profileIndex, half, slot, keyCode, *content);
    }
  });
  placement.result.transfers.Prepend(read.transfers);
  return placement;
}

protocol::RestoreResult KeyboardConnection::RestoreFactory(
    const std::function<void()>& afterReset) {
  protocol::RestoreResult result;
  {
    const hid::GateHold hold(*gate_);
    result = protocol::RestoreFactory(*link_, state_, afterReset);
    const bool restored = Took(result.transfers, protocol::kCommandRestoreFactory);
    UpdateKeyMap([&](keymap::KeyMap& map) {
      if (!restored) {
        return;
      }
      map.FactoryRestored();
      if (result.slotsWhole) {
        map.Reconcile(0, state_.slots);
      }
    });
  }
  Announce({.profile = true, .slots = true, .lighting = true});
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

MadeConnection MakeConnection(KeyboardConnection::Settings settings) {
  MadeConnection made;
  if (const char* failures = std::getenv(sim::kSimulateFailVariable);
      settings.simulate && failures != nullptr) {
    auto plan = sim::ParseTransferFailurePlan(failures);
    if (const auto* problem = std::get_if<std::string>(&plan)) {
      made.problem = std::string(sim::kSimulateFailVariable) + ": " + *problem;
      return made;
    }
    settings.simulatedFailures = std::get<sim::TransferFailurePlan>(std::move(plan));
  }
  made.connection = std::make_unique<KeyboardConnection>(std::move(settings));
  return made;
}

}  // namespace keyloom::connection

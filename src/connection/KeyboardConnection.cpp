#include "connection/KeyboardConnection.h"

#include <algorithm>
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

// What a sequence that sends `content` (none: a removal) to `keys` is about to change: the
// select of `profileIndex`, the keys' macro halves there and, with `profileEntry`, their remap
// halves of that profile.
keymap::PendingChange KeysChange(int profileIndex, int profileEntry,
                                 const protocol::SelectedKeys& keys,
                                 const std::optional<keymap::KeyContent>& content) {
  keymap::PendingChange change;
  change.select = profileIndex;
  for (const auto& [keyCode, name] : keys) {
    if (!content || HalfOf(content->kind) == Half::kMacro) {
      change.keys.push_back({profileIndex, Half::kMacro, keyCode, content});
    }
    if ((!content || HalfOf(content->kind) == Half::kRemap) && profileEntry >= 0) {
      change.keys.push_back({profileEntry, Half::kRemap, keyCode, content});
    }
  }
  return change;
}

// The key map takes how each key of `change` came out, after the select and read `read` of
// profile `profileIndex` and the sends that `placements` tell of: a key confirmed in its slot
// gets `content` there (a removal's change is over), a key whose change was sent but is not
// confirmed stays unfinished and loses what the map knew of its slot (of its whole half, for a
// profile whose slots were not read), and a key that nothing was sent to holds what it held
// before the change began (`before`). `after` is the last read's table, when it was whole.
void RecordKeyChange(keymap::KeyMap& map, const keymap::KeyMap& before,
                     const keymap::PendingChange& change, int profileIndex,
                     const protocol::SlotRead& read,
                     const std::vector<protocol::KeyPlacement>& placements,
                     const std::optional<keymap::KeyContent>& content,
                     const std::optional<protocol::KeySlotTable>& after) {
  const auto placementOf = [&](const keymap::UnfinishedKey& key) {
    return std::ranges::find_if(placements, [&](const protocol::KeyPlacement& placement) {
      return placement.slot && placement.keyCode == key.keyCode && placement.half == key.half &&
             placement.profileIndex == key.profileIndex;
    });
  };
  for (const keymap::UnfinishedKey& key : change.keys) {
    if (placementOf(key) != placements.end()) {
      continue;
    }
    for (std::size_t slot = 0; slot < protocol::KeySlotTable::kSlotsPerHalf; ++slot) {
      const auto& entry = before.Profile(key.profileIndex).At(key.half, slot);
      if (entry && entry->keyCode == key.keyCode) {
        map.Record(key.profileIndex, key.half, slot, key.keyCode, entry->content);
      }
    }
    map.Settle(key.profileIndex, key.half, key.keyCode);
  }
  RecordSelectAndRead(map, profileIndex, read);
  for (const keymap::UnfinishedKey& key : change.keys) {
    const auto placement = placementOf(key);
    if (placement == placements.end()) {
      continue;
    }
    const bool done = placement->outcome == AssignmentOutcome::kDone;
    if (!done) {
      // The select's read may have shown the key's half without it: that was before the send.
      map.Begin({.select = std::nullopt, .keys = {key}, .lighting = {}});
    }
    if (placement->profileIndex != profileIndex) {
      // A remap into a profile whose slots were not read: which slot it took is not known.
      map.ForgetHalf(key.profileIndex, key.half);
    } else if (!done) {
      map.Forget(key.profileIndex, key.half, *placement->slot);
    } else if (content) {
      map.Record(key.profileIndex, key.half, *placement->slot, key.keyCode, *content);
    }
    if (done) {
      map.Settle(key.profileIndex, key.half, key.keyCode);
    }
  }
  if (after) {
    map.Reconcile(profileIndex, *after);
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
  if (settings.gateWaitNotice) {
    gate_->NoticeLongWaits(kLongGateWait, std::move(settings.gateWaitNotice));
  }
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
  // A vendor or product id of 0 matches any of the machine's devices, which must never be sent
  // the keyboard's frames.
  if (backend_ == &hid::SystemHidBackend() &&
      (selector_.vendorId <= 0 || selector_.productId <= 0)) {
    return false;
  }
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
  if (report.keptAs) {
    keyMapKeptAside_ = report;
  }
}

void KeyboardConnection::UpdateKeyMap(const std::function<void(keymap::KeyMap&)>& change) {
  const storage::EditResult result = keyMap_.Update(change);
  keyMapProblem_.reset();
  if (!result.reread.ok()) {
    keyMapProblem_ = result.reread.problem;
  }
  if (result.reread.keptAs) {
    keyMapKeptAside_ = result.reread;
  }
  if (!result.saved.ok()) {
    keyMapProblem_ = result.saved.error();
  }
}

bool KeyboardConnection::BeginChange(const keymap::PendingChange& change) {
  const storage::EditResult result =
      keyMap_.Commit([&](keymap::KeyMap& map) { map.Begin(change); });
  recordFailure_.reset();
  if (!result.reread.ok()) {
    keyMapProblem_ = result.reread.problem;
  }
  if (!result.saved.ok()) {
    recordFailure_ = RecordFailure{true, result.saved.error()};
    return false;
  }
  return true;
}

void KeyboardConnection::EndChange(const std::function<void(keymap::KeyMap&)>& change) {
  const storage::EditResult result = keyMap_.Update(change);
  if (!result.reread.ok()) {
    keyMapProblem_ = result.reread.problem;
  }
  if (!result.saved.ok()) {
    recordFailure_ = RecordFailure{false, result.saved.error()};
  }
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

void KeyboardConnection::Announce(StateChange change) {
  change.notRecorded = recordFailure_.has_value();
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
    if (BeginChange({.select = profileIndex, .keys = {}, .lighting = {}})) {
      state_.profileIndex = profileIndex;
      read = protocol::SelectAndReadProfile(*link_, state_);
      EndChange([&](keymap::KeyMap& map) { RecordSelectAndRead(map, profileIndex, read); });
    }
  }
  Announce({.profile = true, .slots = true});
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
    if (BeginChange({.select = std::nullopt, .keys = {}, .lighting = {{ledMode, record}}})) {
      state_.lighting[ledMode] = record;
      sent = protocol::SendLighting(*link_, ledMode, state_.lighting);
      EndChange([&](keymap::KeyMap& map) {
        if (sent.ok()) {
          map.LightingSent(ledMode, record);
        } else {
          map.LightingLost(ledMode);
        }
      });
    }
  }
  Announce({.lighting = true});
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
  return ChangeKeys(profileIndex, profileEntry, content, keys);
}

protocol::AssignmentResult KeyboardConnection::Delete(int profileIndex, int profileEntry,
                                                      const protocol::SelectedKeys& keys) {
  return ChangeKeys(profileIndex, profileEntry, std::nullopt, keys);
}

protocol::AssignmentResult KeyboardConnection::ChangeKeys(
    int profileIndex, int profileEntry, const std::optional<keymap::KeyContent>& content,
    const protocol::SelectedKeys& keys) {
  protocol::AssignmentResult result;
  {
    const hid::GateHold hold(*gate_);
    const keymap::KeyMap before = keyMap_.Map();
    const keymap::PendingChange change = KeysChange(profileIndex, profileEntry, keys, content);
    if (!BeginChange(change)) {
      result.outcome = AssignmentOutcome::kNotRecorded;
      result.keyCode = keys.empty() ? 0 : keys.begin()->first;
    } else {
      state_.profileIndex = profileIndex;
      const protocol::SlotRead read = protocol::SelectAndReadProfile(*link_, state_);
      protocol::KeyAssignmentRecord record =
          content ? content->Record() : protocol::KeyAssignmentRecord{};
      result = content ? protocol::ApplyKeyAssignment(*link_, state_, profileEntry, record, keys)
                       : protocol::DeleteKeyAssignment(*link_, state_, profileEntry, record, keys);
      EndChange([&](keymap::KeyMap& map) {
        // Checked against the read that ended the last change, where it was whole.
        RecordKeyChange(map, before, change, profileIndex, read, result.placements, content,
                        state_.slotsWhole ? std::optional(state_.slots) : std::nullopt);
      });
      result.transfers.Prepend(read.transfers);
    }
  }
  Announce({.profile = true, .slots = true});
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
  Announce({.profile = true, .slots = true});
  return placement;
}

KeyboardConnection::SlotPlacement KeyboardConnection::PlaceInSlotHeld(
    int profileIndex, Half half, std::size_t slot, std::uint8_t keyCode,
    const std::optional<keymap::KeyContent>& content) {
  const keymap::KeyMap before = keyMap_.Map();
  const auto& known = before.Profile(profileIndex).At(half, slot);
  keymap::PendingChange change{
      .select = profileIndex, .keys = {{profileIndex, half, keyCode, content}}, .lighting = {}};
  if (known && known->keyCode != keyCode) {
    change.keys.push_back({profileIndex, half, known->keyCode, std::nullopt});
  }
  SlotPlacement placement;
  placement.result.keyCode = keyCode;
  placement.result.half = half;
  placement.result.slot = slot;
  if (!BeginChange(change)) {
    placement.result.outcome = AssignmentOutcome::kNotRecorded;
    return placement;
  }
  state_.profileIndex = profileIndex;
  const protocol::SlotRead read = protocol::SelectAndReadProfile(*link_, state_);
  placement.result.transfers = read.transfers;
  const std::uint8_t held = read.whole ? state_.slots.slot(half, slot) : std::uint8_t{0};
  const bool already =
      read.whole && (content ? held == keyCode && known && known->keyCode == keyCode &&
                                   known->content.SameOnKeyboard(*content)
                             : held == 0);
  if (!read.whole) {
    placement.result.outcome = AssignmentOutcome::kSlotsUnknown;
  } else if (!already) {
    placement.result = content ? protocol::PlaceKeyAssignment(*link_, state_, half, slot, keyCode,
                                                              content->Record())
                               : protocol::ClearKeySlot(*link_, state_, half, slot);
    placement.result.transfers.Prepend(read.transfers);
    placement.sent = SentSomething(placement.result.outcome);
  }
  std::vector<protocol::KeyPlacement> placements;
  if (placement.sent) {
    placements.push_back(
        {content ? keyCode : held, half, profileIndex, slot, placement.result.outcome});
  }
  EndChange([&](keymap::KeyMap& map) {
    RecordKeyChange(map, before, change, profileIndex, read, placements, content,
                    state_.slotsWhole ? std::optional(state_.slots) : std::nullopt);
    if (placement.sent && placement.result.outcome != AssignmentOutcome::kDone) {
      map.Forget(profileIndex, half, slot);
    }
    if (already && content) {
      // The slot held the content already: the key map takes its names.
      map.Record(profileIndex, half, slot, keyCode, *content);
    }
  });
  return placement;
}

protocol::RestoreResult KeyboardConnection::RestoreFactory(
    const std::function<void()>& afterReset) {
  protocol::RestoreResult result;
  {
    const hid::GateHold hold(*gate_);
    // The reset brings back every mode's default record and selects the first profile; the keys
    // it frees show in every read after it.
    keymap::PendingChange change{.select = 0, .keys = {}, .lighting = {}};
    for (int mode = 0; mode < protocol::LightingTable::kModeCount; ++mode) {
      change.lighting.emplace_back(mode, protocol::LightingTable::DefaultRecord(mode));
    }
    if (BeginChange(change)) {
      result = protocol::RestoreFactory(*link_, state_, afterReset);
      const bool restored = Took(result.transfers, protocol::kCommandRestoreFactory);
      EndChange([&](keymap::KeyMap& map) {
        if (!restored) {
          return;
        }
        map.FactoryRestored();
        if (result.slotsWhole) {
          map.Reconcile(0, state_.slots);
        }
      });
    }
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

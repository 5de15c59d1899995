#include "connection/KeyboardConnection.h"

#include <system_error>
#include <utility>

namespace keyloom::connection {

KeyboardConnection::KeyboardConnection(Settings settings)
    : selector_(settings.selector), diagnostics_(std::move(settings.diagnostics)) {
  backend_ = settings.backend != nullptr ? settings.backend : &hid::SystemHidBackend();
  if (settings.simulate) {
    std::filesystem::path stateFile;
    if (!settings.dataDir.empty()) {
      // A folder that cannot be made shows up as the simulator's persistence error.
      std::error_code ignored;
      std::filesystem::create_directories(settings.dataDir, ignored);
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

protocol::SlotRead KeyboardConnection::SelectProfile(protocol::KeyboardState& state) {
  const hid::GateHold hold(*gate_);
  return protocol::SelectAndReadProfile(*link_, state);
}

protocol::SlotRead KeyboardConnection::ReadSlots(protocol::KeyboardState& state) {
  const hid::GateHold hold(*gate_);
  protocol::SlotRead read = protocol::ReadKeySlots(*link_);
  state.slots = read.slots;
  state.slotsWhole = read.whole;
  return read;
}

protocol::Transfers KeyboardConnection::SendLighting(int ledMode,
                                                     const protocol::LightingTable& lighting) {
  const hid::GateHold hold(*gate_);
  return protocol::SendLighting(*link_, ledMode, lighting);
}

protocol::AssignmentResult KeyboardConnection::Assign(protocol::KeyboardState& state,
                                                      int profileEntry,
                                                      protocol::KeyAssignmentRecord& record,
                                                      const protocol::SelectedKeys& keys) {
  if (!protocol::NamesAnAssignment(record)) {
    protocol::AssignmentResult nothing;
    nothing.outcome = protocol::AssignmentOutcome::kNothingToAssign;
    return nothing;
  }
  const hid::GateHold hold(*gate_);
  const protocol::SlotRead read = protocol::SelectAndReadProfile(*link_, state);
  protocol::AssignmentResult result =
      protocol::ApplyKeyAssignment(*link_, state, profileEntry, record, keys);
  protocol::Transfers all = read.transfers;
  all.Add(result.transfers);
  result.transfers = all;
  return result;
}

protocol::AssignmentResult KeyboardConnection::Delete(protocol::KeyboardState& state,
                                                      int profileEntry,
                                                      protocol::KeyAssignmentRecord& record,
                                                      const protocol::SelectedKeys& keys) {
  const hid::GateHold hold(*gate_);
  const protocol::SlotRead read = protocol::SelectAndReadProfile(*link_, state);
  protocol::AssignmentResult result =
      protocol::DeleteKeyAssignment(*link_, state, profileEntry, record, keys);
  protocol::Transfers all = read.transfers;
  all.Add(result.transfers);
  result.transfers = all;
  return result;
}

protocol::RestoreResult KeyboardConnection::RestoreFactory(
    protocol::KeyboardState& state, const std::function<void()>& afterReset) {
  const hid::GateHold hold(*gate_);
  return protocol::RestoreFactory(*link_, state, afterReset);
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

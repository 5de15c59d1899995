#include "app/KeyboardConnection.h"

#include <system_error>
#include <utility>

namespace keyloom::app {

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

std::optional<std::string> KeyboardConnection::SimulatorProblem() const {
  if (!simKeyboard_) {
    return std::nullopt;
  }
  return simKeyboard_->persistenceError();
}

}  // namespace keyloom::app

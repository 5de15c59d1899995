#include "app/KeyboardConnection.h"

#include <system_error>
#include <utility>

namespace keyloom::app {

KeyboardConnection::KeyboardConnection(Settings settings) : selector_(settings.selector) {
  hid::HidBackend* backend = &hid::SystemHidBackend();
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
    backend = simBackend_.get();
  }
  gate_ = hid::MakeNamedDeviceGate();
  device_ = std::make_unique<hid::HidDevice>(*backend, *gate_, std::move(settings.diagnostics));

  hid::Transport* transport = device_.get();
  protocol::Clock* clock = &steadyClock_;
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

std::optional<std::string> KeyboardConnection::SimulatorProblem() const {
  if (!simKeyboard_) {
    return std::nullopt;
  }
  return simKeyboard_->persistenceError();
}

}  // namespace keyloom::app

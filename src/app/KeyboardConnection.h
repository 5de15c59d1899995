#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "hid/DeviceGate.h"
#include "hid/DeviceSelector.h"
#include "hid/DiagnosticTrace.h"
#include "hid/HidBackend.h"
#include "hid/HidDevice.h"
#include "protocol/Clock.h"
#include "protocol/Link.h"
#include "protocol/SteadyClock.h"
#include "protocol/TracingClock.h"
#include "protocol/TracingTransport.h"
#include "protocol/TransferTrace.h"
#include "sim/SimulatedHidBackend.h"
#include "sim/SimulatedKeyboard.h"

namespace keyloom::app {

// The keyboard as the main window talks to it: the real one or the simulated one behind one
// HidDevice, the device gate, the clock of the pauses and, when traced, the transfer trace in
// keyloomctl's format. It opens nothing by itself.
class KeyboardConnection {
 public:
  struct Settings {
    // The simulated keyboard instead of the machine's HID interfaces.
    bool simulate = false;
    // The folder of the simulated keyboard's state file; empty keeps its state in memory.
    std::filesystem::path dataDir;
    // The keyboard to open, from the configuration; the simulated keyboard takes its identity.
    hid::DeviceSelector selector;
    // Receives every transfer and pause; empty: no trace.
    protocol::TransferTraceSink transferTrace;
    // Receives the diagnostic lines of discovery and of the transport.
    hid::DiagnosticTrace diagnostics;
    // The clock of the pauses between frames (not owned); null: the steady clock, which sleeps.
    protocol::Clock* clock = nullptr;
    // Where the keyboard is looked for without `simulate` (not owned); null: the machine's HID
    // interfaces.
    hid::HidBackend* backend = nullptr;
  };

  explicit KeyboardConnection(Settings settings);
  ~KeyboardConnection();

  KeyboardConnection(const KeyboardConnection&) = delete;
  KeyboardConnection& operator=(const KeyboardConnection&) = delete;

  [[nodiscard]] hid::HidDevice& Device() { return *device_; }
  [[nodiscard]] const hid::DeviceSelector& Selector() const { return selector_; }
  // The transport (through the trace when there is one) and the clock of the command sequences.
  [[nodiscard]] protocol::Link& GetLink() { return *link_; }

  // Whether an interface of the keyboard is present now; opens nothing.
  [[nodiscard]] bool IsKeyboardPresent();
  // Opens the keyboard's interface (HidDevice::Open with the configured selector).
  bool Open();

  // The simulated keyboard; null without `simulate`.
  [[nodiscard]] sim::SimulatedKeyboard* Simulator() { return simKeyboard_.get(); }
  // Why the simulated keyboard could not keep its state in its file, if it could not.
  [[nodiscard]] std::optional<std::string> SimulatorProblem() const;

 private:
  hid::DeviceSelector selector_;
  hid::DiagnosticTrace diagnostics_;
  std::unique_ptr<sim::SimulatedKeyboard> simKeyboard_;
  std::unique_ptr<sim::SimulatedHidBackend> simBackend_;
  hid::HidBackend* backend_ = nullptr;
  std::unique_ptr<hid::DeviceGate> gate_;
  std::unique_ptr<hid::HidDevice> device_;
  protocol::SteadyClock steadyClock_;
  std::unique_ptr<protocol::TracingTransport> tracingTransport_;
  std::unique_ptr<protocol::TracingClock> tracingClock_;
  std::unique_ptr<protocol::Link> link_;
};

}  // namespace keyloom::app

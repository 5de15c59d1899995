#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "cli/CommandLine.h"
#include "hid/DeviceGate.h"
#include "hid/DeviceSelector.h"
#include "hid/HidBackend.h"
#include "hid/HidDevice.h"
#include "protocol/Clock.h"
#include "protocol/Link.h"
#include "protocol/SteadyClock.h"
#include "protocol/TracingClock.h"
#include "protocol/TracingTransport.h"
#include "sim/SimulatedHidBackend.h"
#include "sim/SimulatedKeyboard.h"

namespace keyloom::cli {

// The keyboard as one command sees it: the real one or the simulated one, behind the same
// HidDevice, the gate and, with --trace, the transfer trace.
class DeviceSession {
 public:
  DeviceSession(const GlobalOptions& options, const hid::DeviceSelector& selector,
                const std::filesystem::path& dataDir, Console& console);
  ~DeviceSession();

  DeviceSession(const DeviceSession&) = delete;
  DeviceSession& operator=(const DeviceSession&) = delete;

  [[nodiscard]] hid::HidBackend& backend() { return *backend_; }

  // Opens the keyboard. On failure tells the user why (absent, or present but not accessible)
  // and returns false.
  bool OpenKeyboard(const std::filesystem::path& configFile);

  [[nodiscard]] protocol::Link& link() { return *link_; }

  // Where --verbose sends the discovery lines (an empty function without it).
  [[nodiscard]] const hid::DiagnosticTrace& diagnostics() const { return diagnostics_; }

  // Why the simulated keyboard could not keep its state in its file, if it could not.
  [[nodiscard]] std::optional<std::string> SimulatorProblem() const;

 private:
  hid::DeviceSelector selector_;
  Console& console_;
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

}  // namespace keyloom::cli

#include "cli/DeviceSession.h"

#include <cstdio>
#include <ostream>
#include <string>
#include <system_error>

#include "hid/UdevRule.h"

namespace keyloom::cli {

namespace {

std::string DescribeId(const char* what, std::int32_t value, bool zeroIsWildcard) {
  const bool wildcard = zeroIsWildcard ? value <= 0 : value < 0;
  if (wildcard) {
    return std::string("any ") + what;
  }
  char text[48];
  std::snprintf(text, sizeof text, "%s 0x%04x", what, static_cast<unsigned>(value));
  return text;
}

std::string DescribeSelector(const hid::DeviceSelector& selector) {
  return DescribeId("vendor id", selector.vendorId, true) + ", " +
         DescribeId("product id", selector.productId, true) + ", " +
         DescribeId("interface", selector.interfaceNumber, false) + ", " +
         DescribeId("collection", selector.collectionNumber, false);
}

}  // namespace

DeviceSession::DeviceSession(const GlobalOptions& options, const hid::DeviceSelector& selector,
                             const std::filesystem::path& dataDir, Console& console)
    : selector_(selector), console_(console) {
  if (options.verbose) {
    diagnostics_ = [&err = console.err](std::string_view line) { err << line << '\n'; };
  }
  if (options.simulate) {
    // A folder that cannot be made shows up as the simulator's persistence error.
    std::error_code ignored;
    std::filesystem::create_directories(dataDir, ignored);
    simKeyboard_ = std::make_unique<sim::SimulatedKeyboard>(dataDir / sim::kStateFileName);
    simBackend_ = std::make_unique<sim::SimulatedHidBackend>(*simKeyboard_, selector);
    backend_ = simBackend_.get();
  } else {
    backend_ = console.systemBackend != nullptr ? console.systemBackend : &hid::SystemHidBackend();
  }
  gate_ = hid::MakeNamedDeviceGate();
  device_ = std::make_unique<hid::HidDevice>(*backend_, *gate_, diagnostics_);

  hid::Transport* transport = device_.get();
  protocol::Clock* clock = console.clock != nullptr ? console.clock : &steadyClock_;
  if (options.trace) {
    auto sink = [&err = console.err](std::string_view line) { err << line << std::endl; };
    tracingTransport_ = std::make_unique<protocol::TracingTransport>(*transport, sink);
    tracingClock_ = std::make_unique<protocol::TracingClock>(*clock, sink);
    transport = tracingTransport_.get();
    clock = tracingClock_.get();
  }
  link_ = std::make_unique<protocol::Link>(protocol::Link{*transport, *clock});
}

DeviceSession::~DeviceSession() = default;

std::optional<std::string> DeviceSession::SimulatorProblem() const {
  if (!simKeyboard_) {
    return std::nullopt;
  }
  return simKeyboard_->persistenceError();
}

bool DeviceSession::OpenKeyboard(const std::filesystem::path& configFile) {
  if (device_->Open(selector_)) {
    return true;
  }
  auto& err = console_.err;
  if (device_->state() != hid::HidDevice::State::kFailed) {
    err << "keyloomctl: keyboard not found: no HID interface matches "
        << DescribeSelector(selector_) << " (from " << configFile.string() << ").\n"
        << "Is the keyboard plugged in? 'keyloomctl devices --all' lists every HID interface.\n";
    return false;
  }
  const std::string& path = device_->lastOpenPath();
  err << "keyloomctl: the keyboard was found at " << path << " but cannot be opened: ";
  switch (device_->lastOpenError()) {
    case hid::OpenError::kAccessDenied:
      err << "permission denied.\n";
      if (path.starts_with("/dev/")) {
        err << "The udev rule that lets the user logged in at this machine open the keyboard ("
            << hid::kUdevRuleFile << ") is missing or not yet applied.\n"
            << "With the keyloom package installed, apply it (or unplug the keyboard and plug it "
               "in again):\n"
            << "  " << hid::kApplyUdevRulesCommand << '\n'
            << "From a build tree, install the rule first, then apply it:\n"
            << "  " << hid::kInstallUdevRuleCommand << '\n'
            << "The rule gives access to the user at the machine itself, not over SSH.\n";
      } else {
        err << "Your user may not open this device.\n";
      }
      break;
    case hid::OpenError::kBusy:
      err << "another program holds the device exclusively.\n";
      break;
    case hid::OpenError::kNotFound:
      err << "the device disappeared while it was being opened. Try again.\n";
      break;
    case hid::OpenError::kNone:
    case hid::OpenError::kOther:
      err << std::system_category().message(device_->lastNativeError()) << ".\n";
      break;
  }
  return false;
}

}  // namespace keyloom::cli

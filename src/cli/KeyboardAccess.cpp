#include "cli/KeyboardAccess.h"

#include <cstdio>
#include <ostream>
#include <string>
#include <system_error>
#include <utility>

#include "cli/Output.h"
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

std::unique_ptr<connection::KeyboardConnection> MakeConnection(const GlobalOptions& options,
                                                               const hid::DeviceSelector& selector,
                                                               const std::filesystem::path& dataDir,
                                                               Console& console) {
  connection::KeyboardConnection::Settings settings;
  settings.simulate = options.simulate;
  settings.dataDir = dataDir;
  settings.selector = selector;
  settings.clock = console.clock;
  settings.backend = console.systemBackend;
  std::ostream& lines = console.diagnostics != nullptr ? *console.diagnostics : console.err;
  if (options.verbose) {
    settings.diagnostics = [&err = lines](std::string_view line) { err << line << '\n'; };
  }
  settings.gateWaitNotice = [&err = console.err](const std::string& where) {
    err << "keyloomctl: another program is using the keyboard; waiting until it is done (for "
        << where << ")" << std::endl;
  };
  if (options.trace) {
    settings.transferTrace = [&err = lines](std::string_view line) { err << line << std::endl; };
  }
  connection::MadeConnection made = connection::MakeConnection(std::move(settings));
  if (!made.connection) {
    console.err << "keyloomctl: " << made.problem << '\n';
  }
  return std::move(made.connection);
}

bool ReportFileTrouble(const connection::KeyboardConnection& keyboard, Console& console) {
  const auto tellKeyMap = [&console](const std::string& problem) {
    console.err << "keyloomctl: warning: the key map of what the keyboard holds: "
                << Printable(problem) << '\n';
  };
  // A key map moved aside is told even when the fresh one was saved since.
  const auto& keptAside = keyboard.KeyMapKeptAside();
  if (keptAside) {
    tellKeyMap(keptAside->problem);
  }
  const auto& keyMapProblem = keyboard.KeyMapProblem();
  if (keyMapProblem && (!keptAside || *keyMapProblem != keptAside->problem)) {
    tellKeyMap(*keyMapProblem);
  }
  if (const auto aside = keyboard.SimulatorStateKeptAside()) {
    console.err << "keyloomctl: warning: the simulated keyboard's state file could not be read; "
                   "it was moved to "
                << aside->string() << " and the simulated keyboard started from its factory "
                << "settings\n";
  }
  const auto& unrecorded = keyboard.LastRecordFailure();
  if (unrecorded && unrecorded->nothingSent) {
    console.err << "keyloomctl: error: nothing was sent: the key map of what the keyboard holds "
                   "could not record the change first ("
                << Printable(unrecorded->reason) << ")\n";
  } else if (unrecorded) {
    console.err << "keyloomctl: error: the change was sent, but the key map of what the keyboard "
                   "holds could not record how it ended ("
                << Printable(unrecorded->reason)
                << "); what it changed is said unknown until it is changed again\n";
  }
  const auto problem = keyboard.SimulatorProblem();
  if (problem) {
    console.err << "keyloomctl: error: the simulated keyboard could not keep its state ("
                << *problem << "): its changes did not stick\n";
  }
  return problem.has_value() || unrecorded.has_value();
}

bool OpenKeyboard(connection::KeyboardConnection& keyboard, const std::filesystem::path& configFile,
                  Console& console) {
  if (keyboard.Open()) {
    return true;
  }
  auto& err = console.err;
  const hid::HidDevice& device = keyboard.Device();
  if (device.state() != hid::HidDevice::State::kFailed) {
    err << "keyloomctl: keyboard not found: no HID interface matches "
        << DescribeSelector(keyboard.Selector()) << " (from " << configFile.string() << ").\n"
        << "Is the keyboard plugged in? 'keyloomctl devices --all' lists every HID interface.\n";
    return false;
  }
  const std::string& path = device.lastOpenPath();
  err << "keyloomctl: the keyboard was found at " << path << " but cannot be opened: ";
  switch (device.lastOpenError()) {
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
      err << std::system_category().message(device.lastNativeError()) << ".\n";
      break;
  }
  return false;
}

}  // namespace keyloom::cli

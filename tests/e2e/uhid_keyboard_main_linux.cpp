// keyloom_uhid_keyboard: the simulated keyboard as a virtual USB HID device of the running
// kernel (through /dev/uhid), for the end-to-end test of the hidraw backend. It takes the
// keyboard's vendor id, product id and interface number from config.xml and keeps the keyboard's
// state in a file, as keyloomctl --simulate does.
//
// Signals: SIGUSR1 arms one unplug during the next record download; SIGUSR2 cuts the next feature
// report reply short; SIGTERM or SIGINT ends it, after a summary line on standard error.

#include <chrono>
#include <csignal>
#include <iostream>

#include <CLI/CLI.hpp>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include "UhidDevice.h"
#include "UhidKeyboard.h"
#include "hid/HidSysfs.h"
#include "settings/AppConfig.h"
#include "sim/SimulatedKeyboard.h"

namespace {

using keyloom::e2e::UhidDevice;
using keyloom::e2e::UhidIdentity;
using keyloom::e2e::UhidKeyboard;

constexpr std::chrono::milliseconds kServeTimeout{50};
constexpr std::uint32_t kReleaseNumber = 0x0105;

// Blocks the signals and returns a descriptor that reports them; -1 on failure.
int SignalDescriptor() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGUSR1);
  sigaddset(&signals, SIGUSR2);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) {
    return -1;
  }
  return signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
}

// The signal that arrived, 0 when none did.
std::uint32_t PendingSignal(int fd) {
  signalfd_siginfo info{};
  if (read(fd, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) {
    return 0;
  }
  return info.ssi_signo;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"The simulated keyboard as a virtual USB HID device (uhid)"};
  std::string configFile;
  std::string stateFile;
  std::string uhidPath = "/dev/uhid";
  int unplugFrame = 10;
  int replugMs = 1000;
  app.add_option("--config", configFile, "config.xml naming the keyboard")->required();
  app.add_option("--state", stateFile, "the simulated keyboard's state file")->required();
  app.add_option("--uhid", uhidPath, "the uhid character device");
  app.add_option("--unplug-frame", unplugFrame, "download frame (1-28) to unplug at on SIGUSR1")
      ->check(CLI::Range(1, 28));
  app.add_option("--replug-ms", replugMs, "milliseconds until the device comes back")
      ->check(CLI::Range(0, 60000));
  CLI11_PARSE(app, argc, argv);

  keyloom::settings::AppConfig config;
  if (!config.LoadFile(configFile)) {
    std::cerr << "uhid: cannot read " << configFile << '\n';
    return 2;
  }
  UhidIdentity identity;
  identity.name = "Keyloom e2e keyboard";
  identity.phys = "keyloom-e2e/input" + std::to_string(config.interfaceNumber);
  identity.uniq = "E2E-0001";
  identity.bus = keyloom::hid::kHidBusUsb;
  identity.vendorId = static_cast<std::uint32_t>(config.vendorId);
  identity.productId = static_cast<std::uint32_t>(config.productId);
  identity.version = kReleaseNumber;

  const int signals = SignalDescriptor();
  if (signals < 0) {
    std::cerr << "uhid: cannot set up signals\n";
    return 1;
  }
  UhidDevice device;
  if (!device.Open(uhidPath)) {
    std::cerr << "uhid: " << device.error() << '\n';
    return 1;
  }
  keyloom::sim::SimulatedKeyboard keyboard(stateFile);
  UhidKeyboard adapter(keyboard, device, identity, std::cerr);
  if (!adapter.PlugIn()) {
    return 1;
  }
  std::cerr << "uhid: created " << identity.name << " (" << identity.phys << ")" << std::endl;

  for (;;) {
    if (!adapter.Serve(kServeTimeout)) {
      std::cerr << "uhid: " << device.error() << '\n';
      return 1;
    }
    const std::uint32_t signal = PendingSignal(signals);
    if (signal == SIGUSR1) {
      adapter.ArmUnplugDuringDownload(unplugFrame, std::chrono::milliseconds(replugMs));
      std::cerr << "uhid: armed to unplug at frame " << unplugFrame << " of the next download"
                << std::endl;
    } else if (signal == SIGUSR2) {
      adapter.ArmShortReply();
      std::cerr << "uhid: armed to cut the next reply short" << std::endl;
    } else if (signal == SIGTERM || signal == SIGINT) {
      break;
    }
  }

  const auto& counts = adapter.counts();
  std::cerr << "uhid: answered " << counts.setReports << " set and " << counts.getReports
            << " get requests, refused " << counts.refused << ", unplugged " << counts.unplugs
            << " time(s); the keyboard ignored " << keyboard.ignored().total() << " frame(s)"
            << std::endl;
  return 0;
}

#pragma once

#include <memory>
#include <string>

namespace keyloom::hid {

// A gate shared by name between the processes of the machine. Passing it waits, without a
// time-out, until no other process is inside its own critical section, and lets go at once: it
// orders this program's transfers against other users of the name but holds nobody off.
class DeviceGate {
 public:
  virtual ~DeviceGate() = default;
  virtual void Pass() = 0;
  virtual void Enter() {}
  virtual void Leave() {}
};

class GateHold {
 public:
  explicit GateHold(DeviceGate& gate) : gate_(gate) { gate_.Enter(); }
  ~GateHold() { gate_.Leave(); }
  GateHold(const GateHold&) = delete;
  GateHold& operator=(const GateHold&) = delete;

 private:
  DeviceGate& gate_;
};

// The gate that every transfer passes.
inline constexpr const char* kDeviceGateName = "HidDevice";

// The platform's named gate: a named mutex on Windows, a lock file on Linux. When the name cannot
// be opened, passing the gate does not wait.
std::unique_ptr<DeviceGate> MakeNamedDeviceGate(const std::string& name = kDeviceGateName);

}  // namespace keyloom::hid

#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace keyloom::hid {

// A gate shared by name between the processes of the machine. Passing it waits, without a
// time-out, until no other process is inside, and lets go at once: it orders this program's
// transfers against other users of the name. A whole command sequence (a profile select through
// the final slot read) holds the gate, so that another program's sequence cannot interleave with
// it and overwrite what it wrote.
class DeviceGate {
 public:
  virtual ~DeviceGate() = default;

  // Waits until no other process is inside the gate and lets go at once; inside a hold of this
  // process it returns at once.
  virtual void Pass() = 0;

  // Enters the gate and stays inside until the matching Leave; holds nest. Other processes' Pass
  // and Enter wait meanwhile. Safe to call from several threads of one process (they exclude
  // each other too). Each Leave matches an Enter of the same thread.
  virtual void Enter() = 0;
  virtual void Leave() = 0;

  // Told, on the waiting thread, once a Pass or an Enter has waited `after` for another process;
  // `where` names what it waits for (the lock file, the mutex). Set before the gate is shared
  // between threads.
  using WaitNotice = std::function<void(const std::string& where)>;
  virtual void NoticeLongWaits(std::chrono::milliseconds after, WaitNotice notice) = 0;
};

// Holds the gate for its lifetime.
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
// be opened, passing, entering and leaving the gate return at once.
std::unique_ptr<DeviceGate> MakeNamedDeviceGate(const std::string& name = kDeviceGateName);

}  // namespace keyloom::hid

#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "hid/DeviceGate.h"
#include "hid/HidBackend.h"

namespace keyloom::hid::test {

// What the fakes saw, in order: "gate", "enter", "leave", "find", "open <path>", "set <handle>",
// "get <handle>", "close <handle>".
struct EventLog {
  std::vector<std::string> events;
};

class FakeGate final : public DeviceGate {
 public:
  explicit FakeGate(EventLog& log) : log_(log) {}
  void Pass() override { log_.events.emplace_back("gate"); }
  void Enter() override { log_.events.emplace_back("enter"); }
  void Leave() override { log_.events.emplace_back("leave"); }
  // Never waits, so never tells.
  void NoticeLongWaits(std::chrono::milliseconds /*after*/, WaitNotice /*notice*/) override {}

 private:
  EventLog& log_;
};

// A backend whose discovery returns `interfaces` and whose opens succeed except for the paths in
// `failingPaths`. Handles are named h1, h2, ... in the order they are opened; the trace value of
// handle hN is N + 2, like the descriptors a process gets after stdin, stdout and stderr.
class FakeBackend final : public HidBackend {
 public:
  explicit FakeBackend(EventLog& log) : log_(log) {}

  std::vector<HidInterfaceInfo> FindInterfaces(const DeviceSelector& selector,
                                               const DiagnosticTrace& trace) override;
  OpenResult OpenPath(const std::string& path) override;

  void AddInterface(const std::string& path) {
    HidInterfaceInfo info;
    info.path = path;
    interfaces.push_back(info);
  }

  std::vector<HidInterfaceInfo> interfaces;
  std::set<std::string> failingPaths;
  std::vector<DeviceSelector> selectors;
  Report getReply{};
  bool transfersSucceed = true;
  std::atomic<int> setCount{0};

 private:
  EventLog& log_;
  int opened_ = 0;
};

}  // namespace keyloom::hid::test

// How far each command sequence's wall time exceeds the pauses it must make, against the
// simulated keyboard behind the real HidDevice and gate, with the real clock; and the time that
// discovery takes. Each sequence runs twice: with the simulated keyboard's state file, as
// keyloomctl --simulate runs it (argument 1), and with its state in memory (argument 0), which
// leaves the program's own overhead: the transfers through HidDevice, the gate (held for the
// whole sequence, as the program holds it), the pauses' lateness.
//
// Counters: pauses_ms is the sum of the pauses the sequence asked for, wall_ms its measured
// time, overhead_pct = (wall - pauses) / pauses. Target: overhead under 1 %.

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "hid/DeviceGate.h"
#include "hid/HidBackend.h"
#include "hid/HidDevice.h"
#include "protocol/KeyAssignmentRecord.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/KeyboardState.h"
#include "protocol/SteadyClock.h"
#include "sim/SimulatedHidBackend.h"
#include "sim/SimulatedKeyboard.h"

namespace {

using namespace keyloom;

// Sleeps like the production clock and adds up what it was asked to sleep.
class PauseCountingClock : public protocol::Clock {
 public:
  void Pause(std::chrono::milliseconds duration) override {
    asked_ += duration;
    inner_.Pause(duration);
  }
  [[nodiscard]] std::int64_t NowMs() const override { return inner_.NowMs(); }
  [[nodiscard]] std::chrono::milliseconds asked() const { return asked_; }
  void Reset() { asked_ = {}; }

 private:
  protocol::SteadyClock inner_;
  std::chrono::milliseconds asked_{};
};

// The --simulate set-up of keyloomctl: the simulated keyboard, with its state file or in memory,
// opened through HidDevice and the named gate.
class SimulatedSetup {
 public:
  explicit SimulatedSetup(bool stateFile)
      : folder_(std::filesystem::temp_directory_path() /
                ("keyloom-bench-" + std::to_string(::getpid()))),
        keyboard_(stateFile ? (std::filesystem::create_directories(folder_),
                               folder_ / sim::kStateFileName)
                            : std::filesystem::path()),
        selector_{0x258A, 0x002A, 1, 2},
        backend_(keyboard_, selector_),
        gate_(hid::MakeNamedDeviceGate()),
        device_(backend_, *gate_),
        link_{device_, clock_} {
    device_.Open(selector_);
  }
  ~SimulatedSetup() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  SimulatedSetup(const SimulatedSetup&) = delete;
  SimulatedSetup& operator=(const SimulatedSetup&) = delete;

  protocol::Link& link() { return link_; }
  PauseCountingClock& clock() { return clock_; }
  hid::DeviceGate& gate() { return *gate_; }

 private:
  std::filesystem::path folder_;
  sim::SimulatedKeyboard keyboard_;
  hid::DeviceSelector selector_;
  sim::SimulatedHidBackend backend_;
  std::unique_ptr<hid::DeviceGate> gate_;
  hid::HidDevice device_;
  PauseCountingClock clock_;
  protocol::Link link_;
};

// Runs `sequence` once per iteration, holding the device gate as the program holds it for a
// whole command sequence, and reports its overhead over the pauses it made.
template <typename Sequence>
void MeasureOverPauses(benchmark::State& state, Sequence sequence) {
  SimulatedSetup setup(state.range(0) == 1);
  double wallMs = 0;
  double pausesMs = 0;
  for (auto _ : state) {
    setup.clock().Reset();
    const auto start = std::chrono::steady_clock::now();
    {
      const hid::GateHold hold(setup.gate());
      sequence(setup.link());
    }
    const auto wall = std::chrono::steady_clock::now() - start;
    wallMs += std::chrono::duration<double, std::milli>(wall).count();
    pausesMs += static_cast<double>(setup.clock().asked().count());
  }
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["pauses_ms"] = pausesMs / iterations;
  state.counters["wall_ms"] = wallMs / iterations;
  state.counters["overhead_ms"] = (wallMs - pausesMs) / iterations;
  state.counters["overhead_pct"] = pausesMs > 0 ? 100.0 * (wallMs - pausesMs) / pausesMs : 0.0;
}

protocol::SelectedKeys KeyA() {
  return protocol::SelectedKeys{{0x04, "A"}};
}

void BM_MacroAssignment(benchmark::State& state) {
  MeasureOverPauses(state, [](protocol::Link& link) {
    protocol::KeyboardState keyboard;
    keyboard.slotsWhole = true;
    protocol::KeyAssignmentRecord record;
    record.SetRepeatCount(1);
    for (std::size_t i = 0; i < protocol::KeyAssignmentRecord::kMaxEvents; ++i) {
      record.SetEvent(i, protocol::MakeKeyEvent(0x04, (i % 2) != 0, 100));
    }
    protocol::ApplyKeyAssignment(link, keyboard, 0, record, KeyA());
  });
}
BENCHMARK(BM_MacroAssignment)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Remap(benchmark::State& state) {
  MeasureOverPauses(state, [](protocol::Link& link) {
    protocol::KeyboardState keyboard;
    keyboard.slotsWhole = true;
    protocol::KeyAssignmentRecord record;
    record.SetKeyCode(0x05);
    protocol::ApplyKeyAssignment(link, keyboard, 0, record, KeyA());
  });
}
BENCHMARK(BM_Remap)->Arg(1)->Arg(0)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SelectProfileAndReadSlots(benchmark::State& state) {
  MeasureOverPauses(state, [](protocol::Link& link) {
    protocol::SelectProfile(link, 1);
    benchmark::DoNotOptimize(protocol::ReadKeySlots(link));
  });
}
BENCHMARK(BM_SelectProfileAndReadSlots)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Lighting(benchmark::State& state) {
  MeasureOverPauses(state, [](protocol::Link& link) {
    protocol::LightingTable table;
    protocol::SendLighting(link, 3, table);
  });
}
BENCHMARK(BM_Lighting)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(40)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_FactoryRestore(benchmark::State& state) {
  MeasureOverPauses(state, [](protocol::Link& link) {
    protocol::KeyboardState keyboard;
    protocol::RestoreFactory(link, keyboard, nullptr);
  });
}
BENCHMARK(BM_FactoryRestore)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_FindHidInterfaces(benchmark::State& state) {
  const hid::DeviceSelector everything{0, 0, -1, -1};
  for (auto _ : state) {
    benchmark::DoNotOptimize(hid::FindHidInterfaces(everything));
  }
}
BENCHMARK(BM_FindHidInterfaces)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

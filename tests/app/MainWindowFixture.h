#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/CMainDlg.h"
#include "app/ResponsiveClock.h"
#include "hid/HidBackend.h"
#include "protocol/VirtualClock.h"
#include "sim/SimulatedKeyboard.h"
#include "ui/host/SApplication.h"

// What the main window's tests share: the toolkit with the real skin, and a main window on the
// simulated keyboard (or on a backend of the test's) with a virtual clock, whose transfers and
// pauses are written down as keyloom --trace writes them. The tests run on the offscreen
// platform, which has no tray: messages land on the window's notice line.
namespace keyloom::app::test {

using TraceLines = std::vector<std::string>;

// The toolkit as keyloom prepares it: the real skin, the translation `translator`, the program's
// controls.
std::unique_ptr<ui::SApplication> MakeApplication(const QString& translator);

class MainWindowUnderTest {
 public:
  struct Options {
    // The simulated keyboard is plugged in when the window starts.
    bool plugged = true;
    // Where the keyboard is looked for instead of the simulated keyboard (not owned).
    hid::HidBackend* backend = nullptr;
    // The folder of the simulated keyboard's state file; empty: in memory.
    std::filesystem::path dataDir;
    // The clock of the pauses, which keeps the window alive through them, as keyloom's does (not
    // owned); null: a virtual clock, whose pauses take no time.
    ResponsiveClock* clock = nullptr;
  };

  MainWindowUnderTest();
  explicit MainWindowUnderTest(const Options& options);
  ~MainWindowUnderTest();

  MainWindowUnderTest(const MainWindowUnderTest&) = delete;
  MainWindowUnderTest& operator=(const MainWindowUnderTest&) = delete;

  [[nodiscard]] CMainDlg& window() { return *window_; }
  // The simulated keyboard; only without Options::backend.
  [[nodiscard]] sim::SimulatedKeyboard& keyboard();
  // The transfers and pauses since the last call (or since the start).
  [[nodiscard]] TraceLines TakeTrace();

  // Shows the window and waits until it can take the mouse.
  bool ShowAndWait();
  // Clicks the control `name` with the mouse (the window must be shown).
  bool Click(const char* name);
  // The messages shown now (balloons or the notice line).
  [[nodiscard]] QStringList Messages();
  [[nodiscard]] QString StatusText() const;
  // Whether the control `name` is shown within the window.
  [[nodiscard]] bool IsShown(const char* name) const;
  [[nodiscard]] bool IsChecked(const char* name) const;
  // The keys checked on the keyboard picture, by key code.
  [[nodiscard]] std::vector<int> CheckedKeys() const;

 private:
  protocol::VirtualClock clock_;
  TraceLines trace_;
  std::unique_ptr<CMainDlg> window_;
};

// The transfers and pauses of the command sequences, as the simulated keyboard answers them.
TraceLines SelectProfileLines(int profileNumber, bool ok = true);
// A slot read of a keyboard whose active profile holds `slots` (macro slots, then remap slots);
// `ok` false: a keyboard that answers nothing.
TraceLines SlotReadLines(const std::array<std::uint8_t, 24>& slots = {}, bool ok = true);
TraceLines LightingLines(int ledMode, const std::array<std::uint8_t, 5>& record, bool ok = true);
// One transfer line: "set|get <16 hex digits> ok|fail".
std::string TransferLine(const char* direction, const std::array<std::uint8_t, 8>& bytes,
                         bool ok = true);

// The lines of every part, in order.
TraceLines Lines(std::initializer_list<TraceLines> parts);

}  // namespace keyloom::app::test

#pragma once

#include <filesystem>
#include <optional>

#include "app/LaunchOptions.h"

namespace keyloom::ui {
class SApplication;
}  // namespace keyloom::ui

namespace keyloom::app {

class CMainDlg;
class ResponsiveClock;

// keyloom from start to end: prepares the toolkit with the skin of the program's data folder,
// reads the configuration and installs its translation, registers the program's controls, keeps a
// second start from running, then shows the main window and runs the message loop until the main
// window is destroyed; everything goes again in the reverse order of its making.
class AppShell {
 public:
  // Set to 1 in the environment, keyloom writes "instance: first" to standard output once it
  // holds the single instance, and "instance: activated" whenever a later start brings it to the
  // front; the tests of the single instance watch for these lines.
  static constexpr const char* kReportInstanceVariable = "KEYLOOM_REPORT_INSTANCE";

  explicit AppShell(LaunchOptions options);

  // Runs the program; `programPath` is the program's first argument as the system gave it.
  // Answers the exit status: the message loop's result (kExitOk once the main window was
  // closed), kExitOk for a later start that brought the first one forward or a screenshot
  // taken, kExitUsage for a file named on the command line that cannot be read or written,
  // kExitNoMainWindow when the skin does not give a main window.
  int Run(char* programPath);

 private:
  // The steps of Run, in its order.
  // The files named on the command line made absolute, the configuration file read, the user's
  // folder and settings file found; kExitUsage when the configuration file cannot be read.
  std::optional<int> TakeFileOptions();
  // The application's names, and the program's data folder made the current one; answers it.
  static std::filesystem::path EnterDataFolder();
  // The skin, the desktop entry's name, the translation and the program's controls; false,
  // told, without the skin.
  static bool LoadSkin(ui::SApplication& app, const std::filesystem::path& dataDir);
  // The main window made; false, told, when the skin has none.
  bool CreateMainWindow(CMainDlg& mainDlg, ResponsiveClock& sequenceClock,
                        const std::filesystem::path& dataDir);
  // Shows the main window and starts the keyboard once it has been painted (at once for a
  // screenshot), and schedules the screenshots asked for.
  void ShowMainWindow(ui::SApplication& app, CMainDlg& mainDlg);

  LaunchOptions options_;
  std::filesystem::path userDataDir_;
  std::filesystem::path settingsFile_;
};

}  // namespace keyloom::app

#pragma once

#include <QString>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace keyloom::app {

// What the command line asks of one run of keyloom.
struct LaunchOptions {
  // Talk to the simulated keyboard instead of a real one.
  bool simulate = false;
  // Write every transfer and pause to standard error, as keyloomctl --trace does.
  bool trace = false;
  // The configuration file to read instead of config.xml in the data folder.
  std::optional<std::filesystem::path> configFile;
  // Where the user's files and the simulated keyboard's state live instead of the user's folder.
  std::optional<std::filesystem::path> dataDir;
  // Render the main window into this PNG file and end instead of running.
  std::optional<QString> screenshotFile;

  // Open the key assignment dialog for a key as a click on it would, render it into a PNG file
  // and end.
  struct DialogScreenshot {
    std::uint8_t keyCode = 0;
    QString keyName;
    QString file;
    // The page shown (0-3); unset: the page the dialog opens on.
    std::optional<int> page;
  };
  std::optional<DialogScreenshot> dialogScreenshot;
};

}  // namespace keyloom::app

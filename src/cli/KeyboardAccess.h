#pragma once

#include <filesystem>
#include <memory>

#include "cli/CommandLine.h"
#include "connection/KeyboardConnection.h"
#include "hid/DeviceSelector.h"

namespace keyloom::cli {

// The keyboard connection of one command: the real keyboard or, with --simulate, the simulated
// one with its state in `dataDir` and the transfers KEYLOOM_SIMULATE_FAIL names failing;
// --trace sends the transfer trace and --verbose the discovery lines to standard error. Null,
// with the reason told, when KEYLOOM_SIMULATE_FAIL is not understood.
std::unique_ptr<connection::KeyboardConnection> MakeConnection(const GlobalOptions& options,
                                                               const hid::DeviceSelector& selector,
                                                               const std::filesystem::path& dataDir,
                                                               Console& console);

// Opens the keyboard. On failure tells the user why (absent, or present but not accessible)
// and returns false.
bool OpenKeyboard(connection::KeyboardConnection& keyboard, const std::filesystem::path& configFile,
                  Console& console);

// Tells the user what the connection could not do with its files. The simulated keyboard's state
// file: one that could not be read and was moved aside (a warning), and state that could not be
// saved (an error: its changes did not stick). The key map's file: one that could not be read, or
// a slot read that could not be saved in it (a warning), and a change that it could not record
// (an error: nothing was sent, or what the change touched stays unknown). Returns whether there
// was such an error.
bool ReportFileTrouble(const connection::KeyboardConnection& keyboard, Console& console);

}  // namespace keyloom::cli

#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "cli/CommandLine.h"
#include "settings/AppConfig.h"

namespace CLI {
class App;
}

// What a keyloomctl command is made of: the context it runs in, and how it joins the command
// line (commands/Commands.h lists the commands).
namespace keyloom::cli {

// What every command works with: the options, the configuration as read, the folders and the
// console.
struct Context {
  const GlobalOptions& options;
  const settings::AppConfig& config;
  std::filesystem::path configFile;
  bool configLoaded = false;
  // The user's own config.xml, which came over configFile where it could be read.
  std::filesystem::path userConfigFile;
  bool userConfigLoaded = false;
  std::filesystem::path dataDir;
  Console& console;
  // The file whose `usb` element names the keyboard: the user's own, or else configFile.
  std::filesystem::path deviceConfigFile;
};

// What a command reads besides its arguments, which the program checks before it runs it.
struct CommandNeeds {
  // The configuration: one that could not be read is warned of first.
  bool configuration = true;
  // The data folder, which must not be a file: the keyboard commands keep the key map there, the
  // macro commands the library. With --simulate every command needs it, for the simulated
  // keyboard's state.
  bool dataFolder = true;
};

// The command that the arguments named: what runs, and what it needs.
struct ChosenCommand {
  std::function<int(Context&)> run;
  CommandNeeds needs;
};

// Adds one command to `app`: its subcommand with its options, which becomes `chosen` when the
// arguments name it.
using CommandDefinition = void (*)(CLI::App& app, ChosenCommand& chosen);

// Makes `run` the chosen command when the arguments name `command`.
void Runs(CLI::App& command, ChosenCommand& chosen, std::function<int(Context&)> run,
          CommandNeeds needs = {});

// The same for a command with arguments of its own: returns them, for the command's options to
// fill; they live as long as `command`.
template <typename Arguments>
Arguments& Runs(CLI::App& command, ChosenCommand& chosen, int (*run)(Context&, const Arguments&),
                CommandNeeds needs = {}) {
  auto arguments = std::make_shared<Arguments>();
  Runs(
      command, chosen, [arguments, run](Context& context) { return run(context, *arguments); },
      needs);
  return *arguments;
}

}  // namespace keyloom::cli

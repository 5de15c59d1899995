#include "cli/CommandLine.h"

#include <algorithm>
#include <filesystem>
#include <istream>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <system_error>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/Command.h"
#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "settings/AppConfig.h"
#include "settings/AppPaths.h"

namespace keyloom::cli {

namespace {

constexpr const char* kDescription =
    "keyloomctl configures the keyboard from a terminal: profiles, key assignments (macros, "
    "remaps, media keys, chords), lighting and factory settings, backs up and restores the whole "
    "keyboard, and keeps the macro library.\n"
    "Keys are named as in the key name table (\"A\", \"F5\", \"Ctrl Left\", case does not "
    "matter) or given as key codes (\"0x04\"; a single digit names the digit key).\n"
    "Exit status: 0 done; 1 the keyboard is absent or cannot be opened; 2 bad arguments, or a "
    "file named on the command line that cannot be read or written; 3 not done (no free slot on "
    "the keyboard, the factory reset was declined, macro.xml or store.xml could not be saved, "
    "the keyboard did not take the change, or a simulated keyboard could not save its state).";

// The options that come before the command.
void DefineGlobalOptions(CLI::App& app, GlobalOptions& global) {
  app.add_flag("--simulate", global.simulate,
               "Talk to the simulated keyboard instead of a real one");
  // Given twice, the last one counts, so that a script can override a wrapper's choice.
  app.add_option("--config", global.configFile, "Read the configuration from FILE")
      ->type_name("FILE")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_option("--data-dir", global.dataDir,
                 "Keep the user's files and the simulated keyboard's state in DIR")
      ->type_name("DIR")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_flag("--trace", global.trace,
               "Write every transfer and pause to standard error (set/get HEX ok|fail, pause MS)");
  app.add_flag("--json", global.json, "Print results as JSON");
  app.add_flag("-v,--verbose", global.verbose, "Write the discovery diagnostics to standard error");
  app.set_version_flag("--version", std::string("keyloomctl ") + KEYLOOM_VERSION);
  app.require_subcommand(1);
  app.fallthrough();
}

// The innermost subcommand that the arguments reached (the program itself for none).
const CLI::App& InnermostCommand(const CLI::App& app) {
  for (const CLI::App* sub : app.get_subcommands({})) {
    if (sub->parsed()) {
      return InnermostCommand(*sub);
    }
  }
  return app;
}

// A word where a command was expected that names none: says so with the commands there are, and
// answers true. False for any other parse error.
bool ComplainUnknownCommand(const CLI::App& app, const CLI::ParseError& error, std::ostream& err) {
  const CLI::App& command = InnermostCommand(app);
  const std::vector<const CLI::App*> commands = command.get_subcommands({});
  // With fall-through, what no command took is left with the program itself.
  const std::vector<std::string> left = app.remaining(true);
  if (error.get_name() != "RequiredError" || commands.empty() || left.empty() ||
      left.front().starts_with("-")) {
    return false;
  }
  const bool top = &command == &app;
  err << "keyloomctl: '" << left.front() << "' is not a " << (top ? "" : command.get_name() + " ")
      << "command; the " << (top ? "" : command.get_name() + " ") << "commands are:";
  for (const CLI::App* sub : commands) {
    err << (sub == commands.front() ? " " : ", ") << sub->get_name();
  }
  err << " ('keyloomctl " << (top ? "" : command.get_name() + " ") << "--help' says more)\n";
  return true;
}

// The configuration file could not be read: says why, for every command that uses it.
void WarnUnreadConfiguration(const std::filesystem::path& file, const std::string& problem,
                             std::ostream& err) {
  err << "keyloomctl: warning: the configuration " << file.string() << " was not read: " << problem
      << "; the built-in defaults, which name no keyboard, are in use\n";
}

// Passes what is written to two stream buffers.
class TeeBuffer : public std::streambuf {
 public:
  TeeBuffer(std::streambuf& first, std::streambuf& second) : first_(first), second_(second) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
      return traits_type::not_eof(c);
    }
    const bool written =
        !traits_type::eq_int_type(first_.sputc(traits_type::to_char_type(c)), traits_type::eof()) &&
        !traits_type::eq_int_type(second_.sputc(traits_type::to_char_type(c)), traits_type::eof());
    return written ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    const std::streamsize written = first_.sputn(text, count);
    return std::min(written, second_.sputn(text, count));
  }
  int sync() override { return first_.pubsync() == 0 && second_.pubsync() == 0 ? 0 : -1; }

 private:
  std::streambuf& first_;
  std::streambuf& second_;
};

int RunCommand(const std::vector<std::string>& args, Console& console);

// --json: the command's output is held back; when it fails, standard output gets one JSON object
// instead, with what the command told on standard error.
int RunForJson(const std::vector<std::string>& args, Console& console) {
  std::ostringstream out;
  std::ostringstream told;
  TeeBuffer both(*console.err.rdbuf(), *told.rdbuf());
  std::ostream err(&both);
  Console held{console.in,
               out,
               err,
               console.interactive,
               console.clock,
               console.systemBackend,
               console.progress,
               console.diagnostics != nullptr ? console.diagnostics : &console.err};
  const int status = RunCommand(args, held);
  err.flush();
  if (status == kExitOk) {
    console.out << out.str();
  } else {
    PrintJsonError(console.out, status, told.str(), out.str());
  }
  return status;
}

}  // namespace

int Run(const std::vector<std::string>& args, Console& console) {
  if (std::ranges::find(args, "--json") != args.end()) {
    return RunForJson(args, console);
  }
  return RunCommand(args, console);
}

namespace {

int RunCommand(const std::vector<std::string>& args, Console& console) {
  CLI::App app{kDescription, "keyloomctl"};
  GlobalOptions global;
  DefineGlobalOptions(app, global);
  ChosenCommand chosen;
  for (const CommandDefinition define : kCommands) {
    define(app, chosen);
  }
  try {
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    app.parse(reversed);
  } catch (const CLI::ParseError& error) {
    if (ComplainUnknownCommand(app, error, console.err)) {
      return kExitUsage;
    }
    const int status = app.exit(error, console.out, console.err);
    return status == 0 ? kExitOk : kExitUsage;
  }

  // Not value_or: finding the per-user folder creates it, which --data-dir must not cause.
  const std::filesystem::path dataDir = global.dataDir ? *global.dataDir : settings::UserDataDir();
  std::error_code error;
  // The commands that keep files in the data folder: the macro commands and every command that
  // talks to the keyboard, whose key map lies there (with the simulated keyboard's state).
  const bool usesDataFolder = global.simulate || chosen.needs.dataFolder;
  if (usesDataFolder && std::filesystem::exists(dataDir, error) &&
      !std::filesystem::is_directory(dataDir, error)) {
    console.err << "keyloomctl: the data folder " << dataDir.string()
                << " is a file, not a folder; name a folder with --data-dir\n";
    return global.dataDir ? kExitUsage : kExitNotDone;
  }
  // The program's configuration (or --config), with the user's own file over it, as keyloom
  // reads them.
  const std::filesystem::path configFile =
      global.configFile.value_or(settings::DataDir() / "config.xml");
  const std::filesystem::path userConfigFile =
      settings::UserConfigFile(dataDir, settings::DataDir());
  settings::AppConfig config;
  const settings::AppConfig::Layers layers = config.LoadLayered(configFile, userConfigFile);
  if (!layers.shipped && global.configFile) {
    console.err << "keyloomctl: cannot read the configuration file " << configFile.string() << ": "
                << layers.shippedProblem << '\n';
    return kExitUsage;
  }
  if (!layers.shipped && chosen.needs.configuration) {
    WarnUnreadConfiguration(configFile, layers.shippedProblem, console.err);
  }

  if (layers.userPresent && !layers.user && chosen.needs.configuration) {
    console.err << "keyloomctl: warning: the user's configuration " << userConfigFile.string()
                << " was not read: " << layers.userProblem << "; it is ignored\n";
  }

  Context context{global,         config,         configFile,
                  layers.shipped, userConfigFile, layers.user,
                  dataDir,        console,        layers.usbFromUser ? userConfigFile : configFile};
  // The parse fails without a command; were there none, it would be a usage error all the same.
  return chosen.run ? chosen.run(context) : kExitUsage;
}

}  // namespace

}  // namespace keyloom::cli

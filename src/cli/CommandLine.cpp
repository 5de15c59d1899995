#include "cli/CommandLine.h"

#include <algorithm>
#include <filesystem>
#include <istream>
#include <ostream>

#include <CLI/CLI.hpp>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "settings/AppConfig.h"
#include "settings/AppPaths.h"

namespace keyloom::cli {

namespace {

constexpr const char* kDescription =
    "keyloomctl configures the keyboard from a terminal: profiles, key remaps, lighting and "
    "factory settings.\n"
    "Keys are named as in the key name table (\"A\", \"F5\", \"Ctrl Left\", case does not "
    "matter) or given as key codes (\"0x04\"; a single digit names the digit key).\n"
    "Exit status: 0 done, 1 keyboard absent or not accessible, 2 bad arguments, 3 not done "
    "(no free slot on the keyboard, or declined).";

enum class Command { kNone, kDevices, kConfig, kProfile, kSlots, kLight, kRemap, kClear, kFactory };

struct Arguments {
  GlobalOptions global;
  Command command = Command::kNone;
  bool all = false;
  int profile = 1;
  std::optional<int> slotsProfile;
  LightArguments light;
  std::string key;
  std::string target;
  bool yes = false;
};

void DefineCommands(CLI::App& app, Arguments& a) {
  app.add_flag("--simulate", a.global.simulate,
               "Talk to the simulated keyboard instead of a real one");
  // Given twice, the last one counts, so that a script can override a wrapper's choice.
  app.add_option("--config", a.global.configFile, "Read the configuration from FILE")
      ->type_name("FILE")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_option("--data-dir", a.global.dataDir,
                 "Keep the user's files and the simulated keyboard's state in DIR")
      ->type_name("DIR")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_flag("--trace", a.global.trace,
               "Write every transfer and pause to standard error (set/get HEX ok|fail, pause MS)");
  app.add_flag("--json", a.global.json, "Print results as JSON");
  app.add_flag("-v,--verbose", a.global.verbose,
               "Write the discovery diagnostics to standard error");
  app.set_version_flag("--version", std::string("keyloomctl ") + KEYLOOM_VERSION);
  app.require_subcommand(1);
  app.fallthrough();

  auto* devices = app.add_subcommand("devices",
                                     "List the HID interfaces that match the "
                                     "configuration (the first one is opened)");
  devices->add_flag("--all", a.all, "List every HID interface");
  devices->callback([&a] { a.command = Command::kDevices; });

  app.add_subcommand("config", "Show the configuration as read")->callback([&a] {
    a.command = Command::kConfig;
  });

  auto* profile = app.add_subcommand("profile", "Make profile N active and show its key slots");
  profile->add_option("N", a.profile, "Profile 1-3")->required()->check(CLI::Range(1, 3));
  profile->callback([&a] { a.command = Command::kProfile; });

  auto* slots = app.add_subcommand("slots", "Show which keys carry macros and remaps");
  slots->add_option("--profile", a.slotsProfile, "Make profile N active first (1-3)")
      ->type_name("N")
      ->check(CLI::Range(1, 3));
  slots->callback([&a] { a.command = Command::kSlots; });

  auto* light = app.add_subcommand(
      "light", "Set LED mode MODE (0-9); parameters left out take the mode's defaults");
  light->add_option("MODE", a.light.mode, "LED mode 0-9")->required()->check(CLI::Range(0, 9));
  light->add_option("--brightness", a.light.brightness, "0-3")->check(CLI::Range(0, 3));
  light->add_option("--speed", a.light.speed, "0-3")->check(CLI::Range(0, 3));
  light->add_option("--colour,--color", a.light.colour, "0-7 (0: none of the seven colours)")
      ->check(CLI::Range(0, 7));
  light->add_option("--direction", a.light.direction, "left or right")
      ->check(CLI::IsMember({"left", "right"}, CLI::ignore_case));
  light
      ->add_option("--areas", a.light.areas, "Mode 8: six area colours A1,...,A6, each 0-6 or none")
      ->type_name("A1,A2,A3,A4,A5,A6");
  light->callback([&a] { a.command = Command::kLight; });

  auto* remap = app.add_subcommand("remap", "Make KEY send TARGET");
  remap->add_option("KEY", a.key, "The physical key")->required();
  remap->add_option("TARGET", a.target, "The key it sends instead")->required();
  remap->add_option("--profile", a.profile, "Profile 1-3 (default 1)")
      ->type_name("N")
      ->check(CLI::Range(1, 3));
  remap->callback([&a] { a.command = Command::kRemap; });

  auto* clear = app.add_subcommand("clear", "Remove KEY's macro, or else its remap");
  clear->add_option("KEY", a.key, "The physical key")->required();
  clear->add_option("--profile", a.profile, "Profile 1-3 (default 1)")
      ->type_name("N")
      ->check(CLI::Range(1, 3));
  clear->callback([&a] { a.command = Command::kClear; });

  auto* factory = app.add_subcommand("factory-reset", "Restore the keyboard's factory settings");
  factory->add_flag("--yes", a.yes, "Do not ask for confirmation");
  factory->callback([&a] { a.command = Command::kFactory; });
}

int Dispatch(const Arguments& a, Context& context) {
  switch (a.command) {
    case Command::kDevices:
      return RunDevices(context, a.all);
    case Command::kConfig:
      return RunConfig(context);
    case Command::kProfile:
      return RunProfile(context, a.profile);
    case Command::kSlots:
      return RunSlots(context, a.slotsProfile);
    case Command::kLight:
      return RunLight(context, a.light);
    case Command::kRemap:
      return RunRemap(context, a.key, a.target, a.profile);
    case Command::kClear:
      return RunClear(context, a.key, a.profile);
    case Command::kFactory:
      return RunFactoryReset(context, a.yes);
    case Command::kNone:
      break;
  }
  return kExitUsage;
}

}  // namespace

int Run(const std::vector<std::string>& args, Console& console) {
  CLI::App app{kDescription, "keyloomctl"};
  Arguments a;
  DefineCommands(app, a);
  try {
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    app.parse(reversed);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error, console.out, console.err);
    return status == 0 ? kExitOk : kExitUsage;
  }

  const std::filesystem::path configFile =
      a.global.configFile.value_or(settings::DataDir() / "config.xml");
  settings::AppConfig config;
  const bool loaded = config.LoadFile(configFile);
  if (!loaded && a.global.configFile) {
    console.err << "keyloomctl: cannot read the configuration file " << configFile.string() << '\n';
    return kExitUsage;
  }

  const std::filesystem::path dataDir = a.global.dataDir.value_or(settings::UserDataDir());
  Context context{
      a.global, config, configFile, loaded, dataDir, console, Output(console.out, a.global.json)};
  return Dispatch(a, context);
}

}  // namespace keyloom::cli

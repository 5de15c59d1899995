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

#include "cli/AutoProfileCommands.h"
#include "cli/Commands.h"
#include "cli/MacroEventText.h"
#include "cli/Output.h"
#include "protocol/LightingEffects.h"
#include "protocol/LightingParameters.h"
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
    "Exit status: 0 done, 1 keyboard absent or not accessible, 2 bad arguments, 3 not done "
    "(no free slot on the keyboard, or declined).";

constexpr const char* kKeyProfileHelp =
    "Profile 1-3 (default: the active one, which the key map keeps; made active first)";

enum class Command {
  kNone,
  kDevices,
  kConfig,
  kProfile,
  kSlots,
  kLight,
  kRemap,
  kClear,
  kFactory,
  kAssign,
  kBackup,
  kRestore,
  kCopyProfile,
  kMacrosList,
  kMacrosShow,
  kMacrosImport,
  kMacrosExport,
  kMacrosAdd,
  kMacrosDelete,
  kMacrosRename,
  kMacrosEdit,
  kAutoProfile,
  kComplete,
};

struct Arguments {
  GlobalOptions global;
  Command command = Command::kNone;
  bool all = false;
  int profile = 1;
  std::optional<int> slotsProfile;
  std::optional<int> keyProfile;
  LightArguments light;
  std::string key;
  std::string target;
  bool yes = false;
  AssignArguments assign;
  std::string group;
  std::string newName;
  MacroEventArguments macroEvents;
  MacroEditArguments macroEdit;
  std::string file;
  std::string names;
  std::optional<int> restoreProfile;
  int from = 1;
  int to = 1;
  AutoProfileArguments autoProfile;
};

// The effects that `light` takes, with the parameters each one uses.
std::string EffectsHelp() {
  std::string text = "Effects (MODE is the number, the name or the identifier, in any case):\n";
  for (std::size_t mode = 0; mode < protocol::kLightingEffects.size(); ++mode) {
    const protocol::LightingEffect& effect = protocol::kLightingEffects[mode];
    std::string line = "  " + std::to_string(mode) + "  " + std::string(effect.identifier);
    line.resize(22, ' ');
    line += effect.name;
    line.resize(40, ' ');
    text += line + LightingParameterOptions(effect.parameters) + '\n';
  }
  return text;
}

void DefineAssign(CLI::App& app, Arguments& a) {
  auto* assign = app.add_subcommand(
      "assign", "Give KEY a macro of the library, a media key, a function-key chord or a key");
  AssignArguments& args = a.assign;
  assign->add_option("KEY", args.key, "The physical key")->required();
  auto* macro = assign->add_option("--macro", args.macro,
                                   "A group of the macro library, by name or as #N (from 0)");
  macro->type_name("GROUP");
  assign
      ->add_option("--repeat", args.repeat,
                   "With --macro: play it N times (1-255); kept for later assignments")
      ->type_name("N")
      ->check(CLI::Range(1, 255))
      ->needs(macro);
  assign->add_option("--media", args.media, "A media key of the configuration, by name")
      ->type_name("NAME");
  assign->add_option("--chord", args.chord, "A function key of the configuration, by name")
      ->type_name("NAME");
  assign->add_option("--key", args.target, "The key it sends instead")->type_name("TARGET");
  assign->add_option("--profile", args.profile, kKeyProfileHelp)
      ->type_name("N")
      ->check(CLI::Range(1, 3));
  assign->callback([&a] { a.command = Command::kAssign; });
}

void DefineKeyboardFiles(CLI::App& app, Arguments& a) {
  auto* backup = app.add_subcommand(
      "backup", "Write every profile's assignments, with their macros, and the lighting to FILE");
  backup->add_option("FILE", a.file, "The backup file to write")->required();
  backup->callback([&a] { a.command = Command::kBackup; });

  auto* restore = app.add_subcommand(
      "restore", "Make the keyboard hold what the backup FILE holds, slot for slot");
  restore->add_option("FILE", a.file, "A file written by backup")->required();
  restore->add_option("--profile", a.restoreProfile, "Only profile N (1-3), without the lighting")
      ->type_name("N")
      ->check(CLI::Range(1, 3));
  restore->callback([&a] { a.command = Command::kRestore; });

  auto* copy = app.add_subcommand("copy-profile", "Make profile TO hold what profile FROM holds");
  copy->add_option("FROM", a.from, "Profile 1-3")->required()->check(CLI::Range(1, 3));
  copy->add_option("TO", a.to, "Profile 1-3")->required()->check(CLI::Range(1, 3));
  copy->callback([&a] { a.command = Command::kCopyProfile; });
}

constexpr const char* kEventsHelp =
    "Events separated by commas, each KEY [down|up] [DELAY]: a key name (quoted when it has "
    "blanks) or code, down or up (neither: both), the ms after it";
constexpr const char* kDelayHelp = "The delay after each event that gives none, in ms (default 10)";

void DefineMacrosEdit(CLI::App& macros, Arguments& a) {
  auto* edit = macros.add_subcommand(
      "edit", "Change the events of GROUP: append, insert, delete or move one, or set a delay");
  MacroEditArguments& e = a.macroEdit;
  edit->add_option("GROUP", a.group, "By name, or as #N (from 0)")->required();
  auto* append = edit->add_option("--append", e.append, "Append EVENTS")->type_name("EVENTS");
  auto* insert = edit->add_option("--insert", e.insert,
                                  "Insert EVENTS before event INDEX (from 0; the count: last)")
                     ->type_name("INDEX EVENTS")
                     ->expected(2);
  auto* remove = edit->add_option("--delete", e.remove, "Delete event INDEX")->type_name("INDEX");
  auto* move = edit->add_option("--move", e.move, "Move event FROM to position TO")
                   ->type_name("FROM TO")
                   ->expected(2);
  auto* delay = edit->add_option("--set-delay", e.setDelay, "Give event INDEX the delay MS")
                    ->type_name("INDEX MS")
                    ->expected(2);
  const std::vector<CLI::Option*> operations = {append, insert, remove, move, delay};
  for (CLI::Option* operation : operations) {
    for (CLI::Option* other : operations) {
      if (other != operation) {
        operation->excludes(other);
      }
    }
  }
  edit->add_option("--delay", e.delay, kDelayHelp)
      ->type_name("MS")
      ->check(CLI::Range(0, kMaxEventDelay));
  edit->callback([&a] { a.command = Command::kMacrosEdit; });
}

void DefineMacros(CLI::App& app, Arguments& a) {
  auto* macros = app.add_subcommand("macros",
                                    "List, show, import, export, add, rename, edit and "
                                    "delete the groups of the macro library (macro.xml)");
  macros->require_subcommand(1);

  macros->add_subcommand("list", "List the groups")->callback([&a] {
    a.command = Command::kMacrosList;
  });
  auto* show = macros->add_subcommand("show", "Show the events of GROUP");
  show->add_option("GROUP", a.group, "By name, or as #N (from 0)")->required();
  show->callback([&a] { a.command = Command::kMacrosShow; });

  // Not named "import", which the formatter takes for a module import.
  auto* importing = macros->add_subcommand(
      "import",
      "Replace the library with the groups of FILE (the library as it was is kept "
      "beside it)");
  importing->add_option("FILE", a.file, "A .mcr file")->required();
  importing->callback([&a] { a.command = Command::kMacrosImport; });

  auto* exported = macros->add_subcommand("export", "Write the whole library to FILE");
  exported->add_option("FILE", a.file, "A .mcr file")->required();
  exported->callback([&a] { a.command = Command::kMacrosExport; });

  auto* add = macros->add_subcommand(
      "add", "Add a group named NAME with the events given, or the keys that type --text");
  add->add_option("NAME", a.group, "The group's name")->required();
  add->add_option("EVENTS", a.macroEvents.events, kEventsHelp);
  add->add_option("--text", a.macroEvents.text,
                  "Type TEXT: its characters as key events, with Shift where a US layout needs "
                  "it")
      ->type_name("TEXT");
  add->add_option("--delay", a.macroEvents.delay, kDelayHelp)
      ->type_name("MS")
      ->check(CLI::Range(0, kMaxEventDelay));
  add->callback([&a] { a.command = Command::kMacrosAdd; });

  auto* rename = macros->add_subcommand("rename", "Give GROUP the name NEW");
  rename->add_option("GROUP", a.group, "By name, or as #N (from 0)")->required();
  rename->add_option("NEW", a.newName, "The new name")->required();
  rename->callback([&a] { a.command = Command::kMacrosRename; });

  DefineMacrosEdit(*macros, a);

  auto* remove = macros->add_subcommand("delete", "Delete GROUP with its events");
  remove->add_option("GROUP", a.group, "By name, or as #N (from 0)")->required();
  remove->callback([&a] { a.command = Command::kMacrosDelete; });
}

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

  auto* slots = app.add_subcommand(
      "slots", "Show the active profile and which of its keys carry macros and remaps");
  slots->add_option("--profile", a.slotsProfile, "Make profile N active first (1-3)")
      ->type_name("N")
      ->check(CLI::Range(1, 3));
  slots->callback([&a] { a.command = Command::kSlots; });

  auto* light = app.add_subcommand(
      "light",
      "Set the lighting effect MODE; parameters left out take the effect's defaults. Without "
      "MODE, show the lighting last sent");
  light->add_option("MODE", a.light.mode, "An effect: its number 0-9, name or identifier");
  light->add_option("--brightness", a.light.brightness, "0-3")
      ->check(CLI::Range(0, protocol::kHighestLightingLevel));
  light->add_option("--speed", a.light.speed, "0-3")
      ->check(CLI::Range(0, protocol::kHighestLightingLevel));
  light->add_option("--colour,--color", a.light.colour, "0-7 (0: none of the seven colours)")
      ->check(CLI::Range(protocol::kNoColour, protocol::kPaletteColours));
  light->add_option("--direction", a.light.direction, "left or right")
      ->check(CLI::IsMember({"left", "right"}, CLI::ignore_case));
  light
      ->add_option("--areas", a.light.areas,
                   "custom-areas: six area colours A1,...,A6, each 0-6 or none")
      ->type_name("A1,A2,A3,A4,A5,A6");
  light->footer(EffectsHelp());
  light->callback([&a] { a.command = Command::kLight; });

  auto* remap = app.add_subcommand("remap", "Make KEY send TARGET");
  remap->add_option("KEY", a.key, "The physical key")->required();
  remap->add_option("TARGET", a.target, "The key it sends instead")->required();
  remap->add_option("--profile", a.keyProfile, kKeyProfileHelp)
      ->type_name("N")
      ->check(CLI::Range(1, 3));
  remap->callback([&a] { a.command = Command::kRemap; });

  auto* clear = app.add_subcommand("clear", "Remove KEY's macro, or else its remap");
  clear->add_option("KEY", a.key, "The physical key")->required();
  clear->add_option("--profile", a.keyProfile, kKeyProfileHelp)
      ->type_name("N")
      ->check(CLI::Range(1, 3));
  clear->callback([&a] { a.command = Command::kClear; });

  auto* factory = app.add_subcommand("factory-reset", "Restore the keyboard's factory settings");
  factory->add_flag("--yes", a.yes, "Do not ask for confirmation");
  factory->callback([&a] { a.command = Command::kFactory; });

  DefineAssign(app, a);
  DefineKeyboardFiles(app, a);
  DefineMacros(app, a);
  DefineAutoProfile(app, a.autoProfile, [&a] { a.command = Command::kAutoProfile; });

  // For the shell completions; not shown in the help.
  auto* complete = app.add_subcommand("complete", "The names a shell completes, one a line");
  complete->group("");
  complete->add_option("KIND", a.names)
      ->required()
      ->check(CLI::IsMember({"keys", "groups", "media", "chords", "effects"}));
  complete->callback([&a] { a.command = Command::kComplete; });
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
      return RunRemap(context, a.key, a.target, a.keyProfile);
    case Command::kClear:
      return RunClear(context, a.key, a.keyProfile);
    case Command::kFactory:
      return RunFactoryReset(context, a.yes);
    case Command::kAssign:
      return RunAssign(context, a.assign);
    case Command::kBackup:
      return RunBackup(context, a.file);
    case Command::kRestore:
      return RunRestore(context, a.file, a.restoreProfile);
    case Command::kCopyProfile:
      return RunCopyProfile(context, a.from, a.to);
    case Command::kMacrosList:
      return RunMacrosList(context);
    case Command::kMacrosShow:
      return RunMacrosShow(context, a.group);
    case Command::kMacrosImport:
      return RunMacrosImport(context, a.file);
    case Command::kMacrosExport:
      return RunMacrosExport(context, a.file);
    case Command::kMacrosAdd:
      return RunMacrosAdd(context, a.group, a.macroEvents);
    case Command::kMacrosRename:
      return RunMacrosRename(context, a.group, a.newName);
    case Command::kMacrosEdit:
      return RunMacrosEdit(context, a.group, a.macroEdit);
    case Command::kMacrosDelete:
      return RunMacrosDelete(context, a.group);
    case Command::kAutoProfile:
      return RunAutoProfile(context, a.autoProfile);
    case Command::kComplete:
      return RunComplete(context, a.names);
    case Command::kNone:
      break;
  }
  return kExitUsage;
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

bool UsesConfiguration(Command command) {
  switch (command) {
    case Command::kMacrosList:
    case Command::kMacrosShow:
    case Command::kMacrosImport:
    case Command::kMacrosExport:
    case Command::kMacrosAdd:
    case Command::kMacrosDelete:
    case Command::kMacrosRename:
    case Command::kMacrosEdit:
    case Command::kAutoProfile:
    case Command::kComplete:
      return false;
    default:
      return true;
  }
}

// The commands that keep files in the data folder: the macro commands and every command that
// talks to the keyboard, whose key map lies there (with the simulated keyboard's state).
bool UsesDataFolder(const Arguments& a) {
  return a.global.simulate || (a.command != Command::kConfig && a.command != Command::kDevices);
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
  Arguments a;
  DefineCommands(app, a);
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
  const std::filesystem::path dataDir =
      a.global.dataDir ? *a.global.dataDir : settings::UserDataDir();
  std::error_code error;
  if (UsesDataFolder(a) && std::filesystem::exists(dataDir, error) &&
      !std::filesystem::is_directory(dataDir, error)) {
    console.err << "keyloomctl: the data folder " << dataDir.string()
                << " is a file, not a folder; name a folder with --data-dir\n";
    return a.global.dataDir ? kExitUsage : kExitNotDone;
  }
  // The program's configuration (or --config), with the user's own file over it, as keyloom
  // reads them.
  const std::filesystem::path configFile =
      a.global.configFile.value_or(settings::DataDir() / "config.xml");
  const std::filesystem::path userConfigFile =
      settings::UserConfigFile(dataDir, settings::DataDir());
  settings::AppConfig config;
  const settings::AppConfig::Layers layers = config.LoadLayered(configFile, userConfigFile);
  if (!layers.shipped && a.global.configFile) {
    console.err << "keyloomctl: cannot read the configuration file " << configFile.string() << ": "
                << layers.shippedProblem << '\n';
    return kExitUsage;
  }
  if (!layers.shipped && UsesConfiguration(a.command)) {
    WarnUnreadConfiguration(configFile, layers.shippedProblem, console.err);
  }

  Context context{a.global,       config,         configFile,
                  layers.shipped, userConfigFile, layers.user,
                  dataDir,        console,        Output(console.out, a.global.json)};
  return Dispatch(a, context);
}

}  // namespace

}  // namespace keyloom::cli

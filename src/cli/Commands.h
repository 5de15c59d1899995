#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Output.h"
#include "protocol/LightingEffects.h"
#include "protocol/LightingParameters.h"
#include "settings/AppConfig.h"

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
  Output output;
};

struct LightArguments {
  std::optional<std::string> mode;  // an effect's number, name or identifier; none: show
  std::optional<int> brightness;
  std::optional<int> speed;
  std::optional<int> colour;
  std::optional<std::string> direction;
  std::optional<std::string> areas;
};

// What `assign` gives the key: exactly one of the four choices.
struct AssignArguments {
  std::string key;
  std::optional<std::string> macro;   // a group of the macro library, by name or #N
  std::optional<int> repeat;          // with a macro: the repeat count to keep in the store
  std::optional<std::string> media;   // an entry of the configuration's media keys
  std::optional<std::string> chord;   // an entry of the configuration's function keys
  std::optional<std::string> target;  // a single key
  std::optional<int> profile;         // 1-3; none: the active one
};

// The options of the parameters that an effect uses: "--brightness --speed --colour".
std::string LightingParameterOptions(const protocol::EffectParameters& parameters);
// keyloomctl's number of an area colour, in --areas and in what `light` shows: the palette's
// colours 1-7 are 0-6.
[[nodiscard]] int AreaColourNumber(protocol::LightingColour colour);

int RunDevices(Context& context, bool all);
int RunConfig(Context& context);
int RunProfile(Context& context, int profile);
int RunSlots(Context& context, std::optional<int> profile);
int RunLight(Context& context, const LightArguments& arguments);
// Without a profile (1-3) the key commands change the active one, as the key map knows it.
int RunRemap(Context& context, const std::string& key, const std::string& target,
             std::optional<int> profile);
int RunClear(Context& context, const std::string& key, std::optional<int> profile);
int RunFactoryReset(Context& context, bool confirmed);
int RunAssign(Context& context, const AssignArguments& arguments);

// The whole keyboard (KeyMapCommands.cpp): a backup file of every profile and the lighting,
// a restore from one (of one profile, when given, 1-3), a copy of a profile to another.
int RunBackup(Context& context, const std::string& file);
int RunRestore(Context& context, const std::string& file, std::optional<int> profile);
int RunCopyProfile(Context& context, int from, int to);

// Key events for a macro group: `events` words that ParseEventText reads (joined by blanks), or
// `text` to type (EventsTypingText); `delay` is the delay of the events that give none.
struct MacroEventArguments {
  std::vector<std::string> events;
  std::optional<std::string> text;
  std::int32_t delay = 10;
};

// One change of a group's events: exactly one of these. Event indices count from 0, as
// `macros show` shows them.
struct MacroEditArguments {
  std::optional<std::string> append;  // events
  std::vector<std::string> insert;    // INDEX EVENTS: before the event at INDEX (the count: last)
  std::optional<int> remove;          // INDEX
  std::vector<int> move;              // FROM TO
  std::vector<std::string> setDelay;  // INDEX MS
  std::int32_t delay = 10;            // of the events that give none
};

// The names of `kind` ("keys", "groups", "media", "chords", "effects") that the shell
// completions offer, one a line; reads the library without changing any file.
int RunComplete(Context& context, const std::string& kind);

// The macro library in the data folder (MacroCommands.cpp).
int RunMacrosList(Context& context);
int RunMacrosShow(Context& context, const std::string& group);
int RunMacrosImport(Context& context, const std::string& file);
int RunMacrosExport(Context& context, const std::string& file);
int RunMacrosAdd(Context& context, const std::string& name, const MacroEventArguments& events);
int RunMacrosRename(Context& context, const std::string& group, const std::string& name);
int RunMacrosEdit(Context& context, const std::string& group, const MacroEditArguments& edit);
int RunMacrosDelete(Context& context, const std::string& group);

}  // namespace keyloom::cli

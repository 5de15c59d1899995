#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "cli/CommandLine.h"
#include "cli/Output.h"
#include "settings/AppConfig.h"

namespace keyloom::cli {

// What every command works with: the options, the configuration as read, the folders and the
// console.
struct Context {
  const GlobalOptions& options;
  const settings::AppConfig& config;
  std::filesystem::path configFile;
  bool configLoaded = false;
  std::filesystem::path dataDir;
  Console& console;
  Output output;
};

struct LightArguments {
  int mode = 0;
  std::optional<int> brightness;
  std::optional<int> speed;
  std::optional<int> colour;
  std::optional<std::string> direction;
  std::optional<std::string> areas;
};

int RunDevices(Context& context, bool all);
int RunConfig(Context& context);
int RunProfile(Context& context, int profile);
int RunSlots(Context& context, std::optional<int> profile);
int RunLight(Context& context, const LightArguments& arguments);
int RunRemap(Context& context, const std::string& key, const std::string& target, int profile);
int RunClear(Context& context, const std::string& key, int profile);
int RunFactoryReset(Context& context, bool confirmed);

}  // namespace keyloom::cli

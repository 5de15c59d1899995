#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "cli/Commands.h"

namespace CLI {
class App;
}

namespace keyloom::cli {

// `keyloomctl auto-profile list|add|remove|default|on|off`: the rules of profiles that follow
// the application ("autoprofile.xml" in the data folder), which keyloom applies while it runs.
struct AutoProfileArguments {
  enum class Action { kList, kAdd, kRemove, kDefault, kOn, kOff };
  Action action = Action::kList;
  std::optional<std::string> windowClass;
  std::optional<std::string> executable;
  int profile = 1;
  std::optional<std::size_t> position;  // 1-based, for add
  std::size_t rule = 0;                 // 1-based, for remove
  std::string defaultProfile;           // "1"-"3" or "none"
};

// Adds the command to `app`; `chosen` runs when the arguments name it.
void DefineAutoProfile(CLI::App& app, AutoProfileArguments& arguments,
                       const std::function<void()>& chosen);

int RunAutoProfile(Context& context, const AutoProfileArguments& arguments);

}  // namespace keyloom::cli

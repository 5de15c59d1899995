#include "cli/Command.h"

#include <utility>

#include <CLI/CLI.hpp>

namespace keyloom::cli {

void Runs(CLI::App& command, ChosenCommand& chosen, std::function<int(Context&)> run,
          CommandNeeds needs) {
  command.callback([&chosen, run = std::move(run), needs] { chosen = {run, needs}; });
}

}  // namespace keyloom::cli

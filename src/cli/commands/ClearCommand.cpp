#include <optional>
#include <ostream>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/CommandSupport.h"
#include "cli/KeyboardAccess.h"
#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "cli/commands/KeyChange.h"
#include "protocol/KeyNameTable.h"
#include "protocol/KeySlotTable.h"

namespace keyloom::cli {

namespace {

using Half = protocol::KeySlotTable::Half;

struct ClearArguments {
  std::string key;
  std::optional<int> profile;
};

// `removed` names the half the key left, nullopt when it held nothing.
void PrintCleared(Context& context, int profile, std::uint8_t key, std::optional<Half> removed) {
  const char* what = !removed ? nullptr : *removed == Half::kMacro ? "macro" : "remap";
  std::ostream& out = context.console.out;
  if (context.options.json) {
    PrintJson(out, {{"profile", profile},
                    {"key", protocol::UsageName(key)},
                    {"keyCode", key},
                    {"removed", what != nullptr ? Json(what) : Json(nullptr)}});
    return;
  }
  if (what == nullptr) {
    out << protocol::UsageName(key) << " had no macro or remap on profile " << profile << ".\n";
  } else {
    out << "Removed the " << what << " of " << protocol::UsageName(key) << " on profile " << profile
        << ".\n";
  }
}

int RunClear(Context& context, const ClearArguments& a) {
  const auto key = KeyOrComplain(context, a.key, "KEY");
  if (!key) {
    return kExitUsage;
  }
  auto [keyboard, failure] = OpenKeyboard(context);
  if (!keyboard) {
    return failure;
  }
  const int profile = ProfileToChange(context, *keyboard, a.profile);
  const auto result = keyboard->Delete(profile - 1, profile - 1, OneKey(*key));
  const bool simulatorFailed = ReportFileTrouble(*keyboard, context.console);
  const auto half = result.half.value_or(Half::kMacro);
  if (!ReportAssignment(context, result, profile, *key, half, "removal") || simulatorFailed) {
    return kExitNotDone;
  }
  PrintCleared(context, profile, *key, result.half);
  return kExitOk;
}

}  // namespace

void DefineClear(CLI::App& app, ChosenCommand& chosen) {
  auto* clear = app.add_subcommand("clear", "Remove KEY's macro, or else its remap");
  ClearArguments& a = Runs(*clear, chosen, &RunClear);
  clear->add_option("KEY", a.key, "The physical key")->required();
  clear->add_option("--profile", a.profile, kKeyProfileHelp)
      ->type_name("N")
      ->check(CLI::Range(1, 3));
}

}  // namespace keyloom::cli

#include <optional>
#include <ostream>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/CommandSupport.h"
#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "cli/commands/KeyChange.h"
#include "keymap/ContentBuilder.h"
#include "protocol/KeyNameTable.h"

namespace keyloom::cli {

namespace {

struct RemapArguments {
  std::string key;
  std::string target;
  std::optional<int> profile;
};

// `remapSlot` is 0-11.
void PrintRemapped(Context& context, int profile, std::uint8_t key, std::uint8_t target,
                   std::size_t remapSlot) {
  if (context.options.json) {
    PrintJson(context.console.out, {{"profile", profile},
                                    {"key", protocol::UsageName(key)},
                                    {"keyCode", key},
                                    {"target", protocol::UsageName(target)},
                                    {"targetCode", target},
                                    {"remapSlot", remapSlot + 1}});
    return;
  }
  context.console.out << protocol::UsageName(key) << " now sends " << protocol::UsageName(target)
                      << " on profile " << profile << " (remap slot " << remapSlot + 1 << ").\n";
}

int RunRemap(Context& context, const RemapArguments& a) {
  const auto key = KeyOrComplain(context, a.key, "KEY");
  const auto target = KeyOrComplain(context, a.target, "TARGET");
  if (!key || !target) {
    return kExitUsage;
  }
  return RemapKey(context, *key, *target, a.profile);
}

}  // namespace

int RemapKey(Context& context, std::uint8_t key, std::uint8_t target, std::optional<int> profile) {
  const keymap::BuiltContent built = keymap::SingleKeyContent(target);
  const Applied applied =
      ApplyToKey(context, profile, key, built.content.value_or(keymap::KeyContent{}));
  if (applied.status == kExitOk) {
    PrintRemapped(context, applied.profile, key, target, applied.slot);
  }
  return applied.status;
}

void DefineRemap(CLI::App& app, ChosenCommand& chosen) {
  auto* remap = app.add_subcommand("remap", "Make KEY send TARGET");
  RemapArguments& a = Runs(*remap, chosen, &RunRemap);
  remap->add_option("KEY", a.key, "The physical key")->required();
  remap->add_option("TARGET", a.target, "The key it sends instead")->required();
  remap->add_option("--profile", a.profile, kKeyProfileHelp)
      ->type_name("N")
      ->check(CLI::Range(1, 3));
}

}  // namespace keyloom::cli

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "macro/MacroLibrary.h"
#include "protocol/KeyNameTable.h"
#include "protocol/LightingEffects.h"
#include "settings/AppPaths.h"

namespace keyloom::cli {

namespace {

struct CompleteArguments {
  std::string kind;  // "keys", "groups", "media", "chords" or "effects"
};

constexpr std::uint8_t kApostropheUsage = 0x34;

// The names of `kind` that the shell completions offer, one a line; reads the library without
// changing any file.
int RunComplete(Context& context, const CompleteArguments& a) {
  const std::string& kind = a.kind;
  auto& out = context.console.out;
  if (kind == "keys") {
    for (const protocol::KeyNameEntry& entry : protocol::kKeyNameTable) {
      // The table's apostrophe is a typographic quote; the command line takes the plain one.
      out << (entry.usage == kApostropheUsage ? std::string_view("'") : entry.name) << '\n';
    }
  } else if (kind == "groups") {
    macro::MacroLibrary library;
    if (library.Load(context.dataDir / settings::PathFromUtf8(macro::kMacroLibraryFileName)).ok()) {
      for (int i = 0; i < library.GroupCount(); ++i) {
        out << Printable(library.GroupAt(i)->Attribute(macro::kNameAttribute).value_or("")) << '\n';
      }
    }
  } else if (kind == "effects") {
    for (const protocol::LightingEffect& effect : protocol::kLightingEffects) {
      out << effect.identifier << '\n';
    }
  } else {
    for (const auto& entry :
         kind == "media" ? context.config.mediaKeys : context.config.functionKeys) {
      out << Printable(entry.name) << '\n';
    }
  }
  return kExitOk;
}

}  // namespace

void DefineComplete(CLI::App& app, ChosenCommand& chosen) {
  auto* complete = app.add_subcommand("complete", "The names a shell completes, one a line");
  complete->group("");
  CompleteArguments& a = Runs(*complete, chosen, &RunComplete, {.configuration = false});
  complete->add_option("KIND", a.kind)
      ->required()
      ->check(CLI::IsMember({"keys", "groups", "media", "chords", "effects"}));
}

}  // namespace keyloom::cli

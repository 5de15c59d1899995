#include <ostream>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/Output.h"
#include "cli/UserData.h"
#include "cli/commands/MacroCommands.h"
#include "macro/MacroLibrary.h"

namespace keyloom::cli {

namespace {

struct MacrosShowArguments {
  std::string group;
};

// The groups of the library with their index (from 0) and number of events.
int RunMacrosList(Context& context) {
  const auto library = OpenMacroLibrary(context);
  std::ostream& out = context.console.out;
  if (context.options.json) {
    Json groups = Json::array();
    for (int i = 0; i < library->GroupCount(); ++i) {
      const macro::MacroNode& group = *library->GroupAt(i);
      groups.push_back({{"index", i},
                        {"name", AttributeText(group, macro::kNameAttribute)},
                        {"events", group.ChildCount()}});
    }
    PrintJson(out, {{"file", library->path().string()}, {"groups", groups}});
    return kExitOk;
  }
  if (library->GroupCount() == 0) {
    out << "No macro groups in " << library->path().string() << ".\n";
    return kExitOk;
  }
  for (int i = 0; i < library->GroupCount(); ++i) {
    const macro::MacroNode& group = *library->GroupAt(i);
    out << '#' << i << "  \"" << Printable(AttributeText(group, macro::kNameAttribute)) << "\"  ("
        << EventCount(static_cast<std::size_t>(group.ChildCount())) << ")\n";
  }
  return kExitOk;
}

int RunMacrosShow(Context& context, const MacrosShowArguments& a) {
  const auto library = OpenMacroLibrary(context);
  const auto index = FindGroupOrComplain(context, *library, a.group);
  if (!index) {
    return kExitUsage;
  }
  PrintMacroGroup(context, *index, *library->GroupAt(*index));
  return kExitOk;
}

}  // namespace

void DefineMacrosList(CLI::App& macros, ChosenCommand& chosen) {
  Runs(*macros.add_subcommand("list", "List the groups"), chosen, &RunMacrosList,
       kMacroCommandNeeds);
}

void DefineMacrosShow(CLI::App& macros, ChosenCommand& chosen) {
  auto* show = macros.add_subcommand("show", "Show the events of GROUP");
  MacrosShowArguments& a = Runs(*show, chosen, &RunMacrosShow, kMacroCommandNeeds);
  show->add_option("GROUP", a.group, "By name, or as #N (from 0)")->required();
}

}  // namespace keyloom::cli

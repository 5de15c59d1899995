#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/Output.h"
#include "cli/UserData.h"
#include "cli/commands/MacroCommands.h"
#include "macro/MacroLibrary.h"
#include "settings/AppPaths.h"

namespace keyloom::cli {

namespace {

struct MacroFileArguments {
  std::string file;
};

void PrintMacrosImported(Context& context, const std::filesystem::path& file,
                         const macro::MacroLibrary& library,
                         const std::optional<std::filesystem::path>& previousKeptAs) {
  std::ostream& out = context.console.out;
  if (context.options.json) {
    PrintJson(
        out, {{"imported", file.string()},
              {"groups", library.GroupCount()},
              {"file", library.path().string()},
              {"previousKeptAs", previousKeptAs ? Json(previousKeptAs->string()) : Json(nullptr)}});
    return;
  }
  out << "Imported " << library.GroupCount() << " group(s) from " << file.string() << " into "
      << library.path().string() << ".\n";
  if (previousKeptAs) {
    out << "The library as it was is kept as " << previousKeptAs->string() << ".\n";
  }
}

int RunMacrosImport(Context& context, const MacroFileArguments& a) {
  using Status = macro::MacroLibrary::ImportResult::Status;
  const std::filesystem::path file = settings::PathFromUtf8(a.file);
  const auto library = OpenMacroLibrary(context);
  const auto imported = library->Import(file);
  auto& err = context.console.err;
  switch (imported.status) {
    case Status::kImported:
      if (!imported.leftOut.empty()) {
        err << "keyloomctl: warning: " << Printable(imported.leftOut) << '\n';
      }
      PrintMacrosImported(context, file, *library, imported.previousKeptAs);
      return kExitOk;
    case Status::kRefusedName:
    case Status::kNotRead:
    case Status::kNoGroups:
      err << "keyloomctl: " << Printable(imported.error) << "; the library is unchanged\n";
      return kExitUsage;
    case Status::kNotKept:
      err << "keyloomctl: " << Printable(imported.error) << "; nothing was imported\n";
      return kExitNotDone;
    case Status::kNotSaved:
      break;
  }
  err << "keyloomctl: " << Printable(imported.error) << "; the library file is unchanged\n";
  return kExitNotDone;
}

int RunMacrosExport(Context& context, const MacroFileArguments& a) {
  const std::filesystem::path file = settings::PathFromUtf8(a.file);
  const auto library = OpenMacroLibrary(context);
  if (const auto saved = library->Export(file); !saved.ok()) {
    context.console.err << "keyloomctl: " << Printable(saved.error()) << '\n';
    return kExitUsage;
  }
  if (context.options.json) {
    PrintJson(context.console.out,
              {{"exported", file.string()}, {"groups", library->GroupCount()}});
  } else {
    context.console.out << "Exported " << library->GroupCount() << " group(s) to " << file.string()
                        << ".\n";
  }
  return kExitOk;
}

}  // namespace

void DefineMacrosImport(CLI::App& macros, ChosenCommand& chosen) {
  // Not named "import", which the formatter takes for a module import.
  auto* importing = macros.add_subcommand(
      "import",
      "Replace the library with the groups of FILE (the library as it was is kept "
      "beside it)");
  MacroFileArguments& a = Runs(*importing, chosen, &RunMacrosImport, kMacroCommandNeeds);
  importing->add_option("FILE", a.file, "A .mcr file")->required();
}

void DefineMacrosExport(CLI::App& macros, ChosenCommand& chosen) {
  auto* exported = macros.add_subcommand("export", "Write the whole library to FILE");
  MacroFileArguments& a = Runs(*exported, chosen, &RunMacrosExport, kMacroCommandNeeds);
  exported->add_option("FILE", a.file, "A .mcr file")->required();
}

}  // namespace keyloom::cli

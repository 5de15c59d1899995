#include <ostream>
#include <string>

#include "cli/Commands.h"
#include "cli/UserData.h"
#include "settings/AppPaths.h"

namespace keyloom::cli {

namespace {

// The library cannot be written: the user hears why, and nothing was done.
int SaveFailed(Context& context, const macro::FileResult& saved) {
  context.console.err << "keyloomctl: " << Printable(saved.error()) << '\n';
  return kExitNotDone;
}

}  // namespace

int RunMacrosList(Context& context) {
  const auto library = OpenMacroLibrary(context);
  context.output.MacroGroups(*library);
  return kExitOk;
}

int RunMacrosShow(Context& context, const std::string& group) {
  const auto library = OpenMacroLibrary(context);
  const auto index = FindGroupOrComplain(context, *library, group);
  if (!index) {
    return kExitUsage;
  }
  context.output.MacroGroup(*index, *library->GroupAt(*index));
  return kExitOk;
}

int RunMacrosImport(Context& context, const std::string& fileText) {
  using Status = macro::MacroLibrary::ImportResult::Status;
  const std::filesystem::path file = settings::PathFromUtf8(fileText);
  const auto library = OpenMacroLibrary(context);
  const auto imported = library->Import(file);
  auto& err = context.console.err;
  switch (imported.status) {
    case Status::kImported:
      if (!imported.leftOut.empty()) {
        err << "keyloomctl: warning: " << Printable(imported.leftOut) << '\n';
      }
      context.output.MacrosImported(file, *library, imported.previousKeptAs);
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

int RunMacrosExport(Context& context, const std::string& fileText) {
  const std::filesystem::path file = settings::PathFromUtf8(fileText);
  const auto library = OpenMacroLibrary(context);
  if (const auto saved = library->Export(file); !saved.ok()) {
    context.console.err << "keyloomctl: " << Printable(saved.error()) << '\n';
    return kExitUsage;
  }
  context.output.MacrosExported(file, *library);
  return kExitOk;
}

int RunMacrosAdd(Context& context, const std::string& name) {
  if (name.empty()) {
    context.console.err << "keyloomctl: a macro group needs a name\n";
    return kExitUsage;
  }
  const auto library = OpenMacroLibrary(context);
  const auto added = library->AddNamedGroup(name);
  TellOpenReport(context, added.reread);
  if (!added.saved.ok()) {
    return SaveFailed(context, added.saved);
  }
  context.output.MacroGroupAdded(library->GroupCount() - 1, name);
  return kExitOk;
}

int RunMacrosDelete(Context& context, const std::string& group) {
  const auto library = OpenMacroLibrary(context);
  // The group is looked for in the library as the file holds it when the change is made, not as
  // it was read before: another program may have changed it in between.
  std::optional<int> index;
  std::string name;
  const auto removed = library->Update([&](macro::MacroLibrary& current) {
    index = FindGroup(current, group);
    if (!index) {
      return false;
    }
    name = current.GroupAt(*index)->Attribute(macro::kNameAttribute).value_or("");
    return current.root().RemoveChild(*index);
  });
  TellOpenReport(context, removed.reread);
  if (!index) {
    ComplainNoGroup(context, *library, group);
    return kExitUsage;
  }
  if (!removed.saved.ok()) {
    return SaveFailed(context, removed.saved);
  }
  context.output.MacroGroupDeleted(*index, name);
  return kExitOk;
}

}  // namespace keyloom::cli

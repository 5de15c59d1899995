#include "cli/UserData.h"

#include <algorithm>
#include <charconv>
#include <ostream>
#include <string>
#include <system_error>

#include "cli/Output.h"
#include "settings/AppPaths.h"
#include "settings/AsciiText.h"

namespace keyloom::cli {

namespace {

constexpr char kGroupIndexMark = '#';

// The data folder named with --data-dir may not exist yet; a folder that cannot be made shows
// up as the error of the first save.
void MakeDataFolder(const Context& context) {
  std::error_code ignored;
  std::filesystem::create_directories(context.dataDir, ignored);
}

}  // namespace

void TellOpenReport(Context& context, const storage::OpenReport& report) {
  if (!report.ok()) {
    context.console.err << "keyloomctl: warning: " << Printable(report.problem) << '\n';
  }
}

std::unique_ptr<macro::MacroLibrary> OpenMacroLibrary(Context& context) {
  MakeDataFolder(context);
  auto library = std::make_unique<macro::MacroLibrary>(
      context.dataDir / settings::PathFromUtf8(macro::kMacroLibraryFileName));
  TellOpenReport(context, library->Open());
  return library;
}

macro::AssignmentStore OpenAssignmentStore(Context& context) {
  MakeDataFolder(context);
  macro::AssignmentStore store(context.dataDir /
                               settings::PathFromUtf8(macro::kAssignmentStoreFileName));
  TellOpenReport(context, store.Open());
  return store;
}

std::optional<int> FindGroup(const macro::MacroLibrary& library, std::string_view text) {
  for (int i = 0; i < library.GroupCount(); ++i) {
    if (library.GroupAt(i)->Attribute(macro::kNameAttribute) == text) {
      return i;
    }
  }
  if (text.size() > 1 && text.front() == kGroupIndexMark) {
    int index = -1;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data() + 1, end, index);
    if (error == std::errc{} && ptr == end && index >= 0 && index < library.GroupCount()) {
      return index;
    }
  }
  return std::nullopt;
}

void ComplainNoGroup(Context& context, const macro::MacroLibrary& library, std::string_view text) {
  context.console.err << "keyloomctl: " << library.path().string() << " has no macro group \""
                      << Printable(text) << "\" (by name, or #N by index from 0) among its "
                      << library.GroupCount() << " group(s); 'keyloomctl macros list' shows them\n";
}

std::optional<int> FindGroupOrComplain(Context& context, const macro::MacroLibrary& library,
                                       std::string_view text) {
  const std::optional<int> index = FindGroup(library, text);
  if (!index) {
    ComplainNoGroup(context, library, text);
  }
  return index;
}

std::optional<std::int32_t> FindCatalogueEntryOrComplain(
    Context& context, const std::vector<settings::KeyCatalogEntry>& catalogue,
    std::string_view name, const char* what) {
  for (std::size_t i = 0; i < catalogue.size(); ++i) {
    if (settings::EqualIgnoringAsciiCase(catalogue[i].name, name)) {
      return static_cast<std::int32_t>(i);
    }
  }
  auto& err = context.console.err;
  err << "keyloomctl: the configuration " << context.configFile.string() << " has no " << what
      << " named \"" << Printable(name) << "\"";
  if (catalogue.empty()) {
    err << " (it lists none)\n";
    return std::nullopt;
  }
  err << "; it has:";
  for (const auto& entry : catalogue) {
    err << (&entry == &catalogue.front() ? " " : ", ") << '"' << Printable(entry.name) << '"';
  }
  err << '\n';
  return std::nullopt;
}

}  // namespace keyloom::cli

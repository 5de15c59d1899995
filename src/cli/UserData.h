#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "cli/Command.h"
#include "macro/AssignmentStore.h"
#include "macro/MacroLibrary.h"
#include "settings/KeyCatalogEntry.h"

namespace keyloom::cli {

// The user's macro library ("macro.xml" in the data folder), opened as the key assignment
// dialog opens it; what opening it found (a broken file kept aside) is told on standard error.
std::unique_ptr<macro::MacroLibrary> OpenMacroLibrary(Context& context);

// The same for the assignment store ("store.xml").
macro::AssignmentStore OpenAssignmentStore(Context& context);

// The group the user named: the first group whose name is exactly `text`, else "#N" for the
// group at index N (from 0, as `macros list` shows it).
std::optional<int> FindGroup(const macro::MacroLibrary& library, std::string_view text);

// Tells the user that the library has no group `text`.
void ComplainNoGroup(Context& context, const macro::MacroLibrary& library, std::string_view text);

// FindGroup, telling the user when there is none.
std::optional<int> FindGroupOrComplain(Context& context, const macro::MacroLibrary& library,
                                       std::string_view text);

// Tells the user, as a warning, what opening or reading a file again found when it was not read
// whole.
void TellOpenReport(Context& context, const storage::OpenReport& report);

// The catalogue entry whose name equals `name`, ignoring the case of ASCII letters. Tells the
// user when there is none, with the names there are.
std::optional<std::int32_t> FindCatalogueEntryOrComplain(
    Context& context, const std::vector<settings::KeyCatalogEntry>& catalogue,
    std::string_view name, const char* what);

}  // namespace keyloom::cli

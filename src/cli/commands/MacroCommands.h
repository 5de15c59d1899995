#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Command.h"
#include "cli/MacroEventText.h"
#include "macro/MacroNode.h"
#include "storage/FileResult.h"

// The `macros` command: its subcommands, on the macro library in the data folder, and what they
// share. A new one is one more definition here and one more line in kMacroCommands.
namespace keyloom::cli {

// MacroViewCommands.cpp
void DefineMacrosList(CLI::App& macros, ChosenCommand& chosen);
void DefineMacrosShow(CLI::App& macros, ChosenCommand& chosen);
// MacroFileCommands.cpp
void DefineMacrosImport(CLI::App& macros, ChosenCommand& chosen);
void DefineMacrosExport(CLI::App& macros, ChosenCommand& chosen);
// MacroGroupCommands.cpp
void DefineMacrosAdd(CLI::App& macros, ChosenCommand& chosen);
void DefineMacrosRename(CLI::App& macros, ChosenCommand& chosen);
void DefineMacrosDelete(CLI::App& macros, ChosenCommand& chosen);
// MacroEditCommand.cpp
void DefineMacrosEdit(CLI::App& macros, ChosenCommand& chosen);

// In the order that the help lists them.
inline constexpr std::array kMacroCommands = {
    &DefineMacrosList,    // macros list
    &DefineMacrosShow,    // macros show
    &DefineMacrosImport,  // macros import
    &DefineMacrosExport,  // macros export
    &DefineMacrosAdd,     // macros add
    &DefineMacrosRename,  // macros rename
    &DefineMacrosEdit,    // macros edit
    &DefineMacrosDelete,  // macros delete
};

// The macro commands read no configuration.
inline constexpr CommandNeeds kMacroCommandNeeds{.configuration = false};

// The help of the option --delay.
inline constexpr const char* kDelayHelp =
    "The delay after each event that gives none, in ms (default 10)";

// The text of `attribute` of `node`; empty when it has none.
std::string AttributeText(const macro::MacroNode& node, std::string_view attribute);

// The library cannot be written: the user hears why, and nothing was done.
int SaveFailed(Context& context, const storage::FileResult& saved);

// The events that the words on the command line give, or those that type `text`; the user told
// what is wrong with them.
std::optional<std::vector<EventText>> EventsOrComplain(Context& context,
                                                       const std::vector<std::string>& words,
                                                       const std::optional<std::string>& text);

// An event as the library keeps it, its texts as the recorder writes them.
macro::MacroAttributes EventAttributes(const EventText& event, std::int32_t delay);

// One group's events, their texts as the library holds them; `index` counts from 0.
void PrintMacroGroup(Context& context, int index, const macro::MacroNode& group);

}  // namespace keyloom::cli

#pragma once

#include <array>

#include "cli/Command.h"

// keyloomctl's commands, each in a file of this folder with its options, its work and what it
// prints. A new command is one more definition here and one more line in kCommands.
namespace keyloom::cli {

void DefineDevices(CLI::App& app, ChosenCommand& chosen);
void DefineConfig(CLI::App& app, ChosenCommand& chosen);
// SlotsCommand.cpp
void DefineProfile(CLI::App& app, ChosenCommand& chosen);
void DefineSlots(CLI::App& app, ChosenCommand& chosen);
void DefineLight(CLI::App& app, ChosenCommand& chosen);
void DefineRemap(CLI::App& app, ChosenCommand& chosen);
void DefineClear(CLI::App& app, ChosenCommand& chosen);
void DefineFactoryReset(CLI::App& app, ChosenCommand& chosen);
void DefineAssign(CLI::App& app, ChosenCommand& chosen);
void DefineBackup(CLI::App& app, ChosenCommand& chosen);
void DefineRestore(CLI::App& app, ChosenCommand& chosen);
void DefineCopyProfile(CLI::App& app, ChosenCommand& chosen);
// MacroCommands.cpp: the macro library's commands, `macros list`, `macros add`, ...
void DefineMacros(CLI::App& app, ChosenCommand& chosen);
void DefineAutoProfile(CLI::App& app, ChosenCommand& chosen);
// For the shell completions; not shown in the help.
void DefineComplete(CLI::App& app, ChosenCommand& chosen);

// In the order that the help lists them.
inline constexpr std::array kCommands = {
    &DefineDevices,       // devices
    &DefineConfig,        // config
    &DefineProfile,       // profile
    &DefineSlots,         // slots
    &DefineLight,         // light
    &DefineRemap,         // remap
    &DefineClear,         // clear
    &DefineFactoryReset,  // factory-reset
    &DefineAssign,        // assign
    &DefineBackup,        // backup
    &DefineRestore,       // restore
    &DefineCopyProfile,   // copy-profile
    &DefineMacros,        // macros ...
    &DefineAutoProfile,   // auto-profile ...
    &DefineComplete,      // complete
};

}  // namespace keyloom::cli

#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "cli/Command.h"
#include "cli/Output.h"
#include "connection/KeyboardBackup.h"
#include "keymap/KeyMap.h"
#include "protocol/KeySlotTable.h"

// What the commands of the whole keyboard share: backup, restore and copy-profile.
namespace keyloom::cli {

// "profile 1, macro slot 3".
std::string SlotText(int profileIndex, protocol::KeySlotTable::Half half, std::size_t slot);

// Tells of every key of the profiles of `map` in `profiles` whose content is not known: assigned
// elsewhere, or, as the key map of the keyboard `keyboardMap` tells (when given), of a change that
// may not have finished; `consequence` says what comes of it. Answers how many there are.
int WarnUnknownContent(Context& context, const keymap::KeyMap& map,
                       const std::array<bool, keymap::kProfileCount>& profiles,
                       const char* consequence, const keymap::KeyMap* keyboardMap = nullptr);

// A restore's progress on the terminal, one line per step; null where standard error is no
// terminal.
connection::RestoreProgressCallback ProgressOnTerminal(Context& context);

// Tells what the keyboard does not hold of the goal after a restore (nothing after one that
// stopped because the key map could not record a change: ReportFileTrouble tells that).
void TellWhatDidNotArrive(Context& context, const connection::RestoreReport& report);

// What a restore or a copy came to, for the JSON output: what was sent and what did not arrive.
Json RestoreJson(const connection::RestoreReport& report);

// "1 change", "12 changes".
std::string Changes(std::size_t count);

}  // namespace keyloom::cli

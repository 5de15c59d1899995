#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "cli/Command.h"
#include "keymap/KeyContent.h"
#include "protocol/KeySlotTable.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/SelectedKeys.h"

// What the commands that change one key share: remap, clear and assign.
namespace keyloom::cli {

// The help of their --profile.
inline constexpr const char* kKeyProfileHelp =
    "Profile 1-3 (default: the active one, which the key map keeps; made active first)";

// The one key that a key command changes.
protocol::SelectedKeys OneKey(std::uint8_t code);

// Tells the user what an assignment or removal (`doing`) of `key` came to; true when it was done.
bool ReportAssignment(Context& context, const protocol::AssignmentResult& result, int profile,
                      std::uint8_t key, protocol::KeySlotTable::Half half, const char* doing);

// What came of giving a key its content.
struct Applied {
  int status = kExitOk;
  int profile = 1;       // 1-3
  std::size_t slot = 0;  // of the half the record went into
};

// Gives `key` the content as the main window does after the dialog's OK: the profile (the
// requested one, else the active one) selected and its slots read, the content's record
// assigned, and the slot read that ends the assignment checked, the keyboard's own word, for the
// key in the half it should be in: a macro slot for a macro or a chord, else a remap slot.
Applied ApplyToKey(Context& context, std::optional<int> requested, std::uint8_t key,
                   const keymap::KeyContent& content);

// Makes `key` send `target` and says so (RemapCommand.cpp): remap, and assign --key.
int RemapKey(Context& context, std::uint8_t key, std::uint8_t target, std::optional<int> profile);

}  // namespace keyloom::cli

#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "cli/Command.h"
#include "connection/KeyboardConnection.h"
#include "hid/DeviceSelector.h"
#include "keymap/KeyContent.h"
#include "protocol/KeySlotTable.h"
#include "protocol/Transfers.h"
#include "settings/AppConfig.h"

// What the keyboard commands share: opening the keyboard, the key arguments, and what the user
// is told of transfers that failed and of what keys do.
namespace keyloom::cli {

// The keyboard that the configuration names.
hid::DeviceSelector SelectorFrom(const settings::AppConfig& config);

// The keyboard opened for a command, or null with the exit status and the user told why.
struct OpenedKeyboard {
  std::unique_ptr<connection::KeyboardConnection> keyboard;
  int status = kExitOk;
};
OpenedKeyboard OpenKeyboard(Context& context);

// The keyboard's active profile (1-3) as the key map knows it: the one that keyloomctl or the
// window selected last. When it is not known, `unknownReason` says why: a key map that this
// command or an earlier one (its copy lies in `dataDir`) moved aside is named.
struct ActiveProfile {
  std::optional<int> profile;
  std::string unknownReason;
};
ActiveProfile FindActiveProfile(const connection::KeyboardConnection& keyboard,
                                const std::filesystem::path& dataDir);

// The profile (1-3) that a key command changes, which it makes active first: `requested`, else
// the active one, else profile 1. When that makes another profile active than the one known to
// be active, or one while none is known, the user is told on standard error.
int ProfileToChange(Context& context, const connection::KeyboardConnection& keyboard,
                    std::optional<int> requested);

// The key the user named for `role` ("KEY", "TARGET"), or nullopt, with the user told why.
std::optional<std::uint8_t> KeyOrComplain(Context& context, const std::string& text,
                                          const char* role);

// The first transfer that failed: a lost reply, or the frame as the trace shows it
// ("set 07fa... failed"), for a message.
std::string DescribeFailure(const protocol::Transfers& transfers);

// Says why the slot table of `profile` (1-3) is no basis for a change; every reply of a slot
// read must arrive whole, or free-looking slots may belong to other keys. `what` (may be null)
// says what came of it. Nothing is said when no transfer was made at all: the key map could not
// record the change first, which ReportFileTrouble tells.
void ComplainSlotsUnknown(Context& context, const protocol::Transfers& transfers,
                          std::optional<int> profile, const char* what);

// "macro" or "remap".
const char* HalfName(protocol::KeySlotTable::Half half);

// A key as keyloomctl shows it among others: "F5 (0x3e)".
std::string KeyWithCode(std::uint8_t keyCode);

// What the key does, in words, fit for a terminal: "F5 (0x3e): macro “Copy”, played 2 times".
std::string DescribeKey(std::uint8_t keyCode, const keymap::KeyContent& content,
                        bool unfinished = false);

}  // namespace keyloom::cli

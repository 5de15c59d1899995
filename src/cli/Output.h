#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "connection/KeyboardBackup.h"
#include "hid/HidInterfaceInfo.h"
#include "keymap/KeyMap.h"
#include "macro/MacroLibrary.h"
#include "macro/MacroNode.h"
#include "protocol/KeyAssignmentRecord.h"
#include "protocol/KeySlotTable.h"
#include "protocol/LightingRecord.h"
#include "settings/AppConfig.h"

namespace keyloom::cli {

// `text` as it may go to a terminal: every control character (C0, DEL and C1), which a name read
// from a file may carry, is shown as an escape ("\n", "\t", "\r", "\x1b", "\u009b"), and every
// ill-formed UTF-8 sequence as U+FFFD. Other text comes back unchanged.
[[nodiscard]] std::string Printable(std::string_view text);

// A command that failed with --json: prints {"error": the lines it told on standard error but its
// warnings, "warnings": those, "status": its exit status, "result": the JSON it printed before,
// or null}.
void PrintJsonError(std::ostream& out, int status, std::string_view told, std::string_view printed);

// What keyloomctl prints on standard output, as text for people or as JSON for scripts.
class Output {
 public:
  Output(std::ostream& out, bool json) : out_(out), json_(json) {}

  // `selectedIndex` marks the interface that opening the keyboard would pick (none with --all).
  void Devices(const std::vector<hid::HidInterfaceInfo>& interfaces,
               std::optional<std::size_t> selectedIndex);
  // A configuration file and whether it could be read.
  struct ConfigFile {
    std::filesystem::path path;
    bool loaded = false;
  };
  // The configuration as read from the program's file with the user's own over it (an empty
  // path: none).
  void Config(const settings::AppConfig& config, const ConfigFile& file,
              const ConfigFile& userFile);
  // The occupied slots of the active profile with what each key does; `profile` is 1-3, or
  // nullopt when which one is active is not known, for `unknownReason`. A key whose macro
  // `library` holds changed since is said to play the older copy (null: not told).
  void Slots(std::optional<int> profile, std::string_view unknownReason,
             const std::vector<keymap::SlotAssignment>& assignments,
             const macro::MacroLibrary* library);
  // The lighting of an LED mode: as sent, or as the key map keeps it; without mode and record it
  // is not known, for `unknownReason`.
  void Lighting(std::optional<int> mode, const std::optional<protocol::LightingRecord>& record,
                std::string_view unknownReason);
  // `remapSlot` is 0-11.
  void Remapped(int profile, std::uint8_t key, std::uint8_t target, std::size_t remapSlot);
  // `removed` names the half the key left, nullopt when it held nothing.
  void Cleared(int profile, std::uint8_t key, std::optional<protocol::KeySlotTable::Half> removed);
  void FactoryRestored();
  // A backup written: the keys of each profile (those of unknown content among them) and the
  // LED modes whose lighting it holds.
  void BackedUp(const std::filesystem::path& file, const keymap::KeyMap& map);
  // What a restore from `file`, or a copy of profile `from` (1-3) to `to`, came to; what did not
  // arrive is told on standard error by the command, and given here in the JSON output.
  void Restored(const std::filesystem::path& file, const connection::RestoreReport& report);
  void ProfileCopied(int from, int to, const connection::RestoreReport& report);

  // The groups of the library with their index (from 0) and number of events.
  void MacroGroups(const macro::MacroLibrary& library);
  // One group's events, their texts as the library holds them.
  void MacroGroup(int index, const macro::MacroNode& group);
  void MacrosImported(const std::filesystem::path& file, const macro::MacroLibrary& library,
                      const std::optional<std::filesystem::path>& previousKeptAs);
  void MacrosExported(const std::filesystem::path& file, const macro::MacroLibrary& library);
  void MacroGroupAdded(int index, std::string_view name, std::size_t events);
  void MacroGroupRenamed(int index, std::string_view from, std::string_view to);
  void MacroGroupDeleted(int index, std::string_view name);
  // A media key assigned as the key's remap: the catalogue entry and the code it sends.
  void MediaKeyAssigned(int profile, std::uint8_t key, std::string_view entry, std::uint8_t code,
                        std::size_t remapSlot);
  // A macro record downloaded into the key's macro slot (0-11): `kind` is "macro" or "chord",
  // `name` the group's or the catalogue entry's.
  void MacroAssigned(int profile, std::uint8_t key, std::string_view kind, std::string_view name,
                     std::size_t events, std::uint8_t repeat, std::size_t macroSlot);

 private:
  std::ostream& out_;
  bool json_;
};

}  // namespace keyloom::cli

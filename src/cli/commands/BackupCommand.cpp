#include <filesystem>
#include <ostream>
#include <string>
#include <utility>

#include <CLI/CLI.hpp>

#include "cli/CommandSupport.h"
#include "cli/KeyboardAccess.h"
#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "cli/commands/WholeKeyboard.h"
#include "connection/KeyboardBackup.h"
#include "keymap/KeyMap.h"
#include "keymap/KeyMapFile.h"
#include "protocol/LightingTable.h"
#include "settings/AppPaths.h"
#include "storage/UserFiles.h"

namespace keyloom::cli {

namespace {

struct BackupArguments {
  std::string file;
};

// The keys of a profile of the map, and how many of them are of unknown content.
std::pair<int, int> KeyCounts(const keymap::ProfileMap& profile) {
  using Half = protocol::KeySlotTable::Half;
  int keys = 0;
  int unknown = 0;
  for (const Half half : {Half::kMacro, Half::kRemap}) {
    for (std::size_t slot = 0; slot < protocol::KeySlotTable::kSlotsPerHalf; ++slot) {
      if (const auto& entry = profile.At(half, slot)) {
        ++keys;
        unknown += entry->content.kind == keymap::ContentKind::kUnknown ? 1 : 0;
      }
    }
  }
  return {keys, unknown};
}

// A backup written: the keys of each profile (those of unknown content among them) and the
// LED modes whose lighting it holds.
void PrintBackedUp(Context& context, const std::filesystem::path& file, const keymap::KeyMap& map) {
  Json profiles = Json::array();
  std::string text;
  for (int index = 0; index < keymap::kProfileCount; ++index) {
    const auto [keys, unknown] = KeyCounts(map.Profile(index));
    profiles.push_back({{"profile", index + 1}, {"keys", keys}, {"unknown", unknown}});
    text +=
        "profile " + std::to_string(index + 1) + ": " +
        (keys == 0 ? std::string("none") : std::to_string(keys) + (keys == 1 ? " key" : " keys")) +
        "; ";
  }
  Json modes = Json::array();
  for (int mode = 0; mode < protocol::LightingTable::kModeCount; ++mode) {
    if (map.Lighting(mode)) {
      modes.push_back(mode);
    }
  }
  std::ostream& out = context.console.out;
  if (context.options.json) {
    PrintJson(out, {{"backup", file.string()},
                    {"profiles", profiles},
                    {"ledModes", modes},
                    {"ledMode", map.LedMode() ? Json(*map.LedMode()) : Json(nullptr)},
                    {"activeProfile",
                     map.SelectedProfile() ? Json(*map.SelectedProfile() + 1) : Json(nullptr)}});
    return;
  }
  out << "Backed up the keyboard to " << file.string() << ": " << text << "the lighting of "
      << modes.size() << (modes.size() == 1 ? " LED mode" : " LED modes");
  if (map.LedMode()) {
    out << " (LED mode " << *map.LedMode() << " current)";
  }
  out << ".\n";
}

int RunBackup(Context& context, const BackupArguments& a) {
  const std::filesystem::path file = settings::PathFromUtf8(a.file);
  // A file that will not be written is refused before the keyboard is read.
  if (const storage::ChosenFileCheck check = storage::CheckChosenFile(file);
      check.problem != storage::ChosenFileProblem::kNone) {
    context.console.err << "keyloomctl: " << Printable(check.result.error())
                        << "; no backup was written\n";
    return kExitUsage;
  }
  auto [keyboard, failure] = OpenKeyboard(context);
  if (!keyboard) {
    return failure;
  }
  const connection::KeyboardReading reading = connection::ReadKeyboard(*keyboard);
  const bool simulatorFailed = ReportFileTrouble(*keyboard, context.console);
  if (!reading.whole) {
    ComplainSlotsUnknown(context, reading.transfers, *reading.unreadProfile + 1,
                         "no backup was written");
    return kExitNotDone;
  }
  WarnUnknownContent(context, reading.map, {true, true, true},
                     "the backup holds only that it is assigned, and a restore cannot bring back "
                     "what it does",
                     &keyboard->KeyMap());
  const storage::FileResult written = keymap::WriteKeyMapFile(file, reading.map, keyboard->Model());
  if (!written.ok()) {
    context.console.err << "keyloomctl: " << Printable(written.error()) << '\n';
    return kExitUsage;
  }
  PrintBackedUp(context, file, reading.map);
  return simulatorFailed ? kExitNotDone : kExitOk;
}

}  // namespace

void DefineBackup(CLI::App& app, ChosenCommand& chosen) {
  auto* backup = app.add_subcommand(
      "backup", "Write every profile's assignments, with their macros, and the lighting to FILE");
  BackupArguments& a = Runs(*backup, chosen, &RunBackup);
  backup->add_option("FILE", a.file, "The backup file to write")->required();
}

}  // namespace keyloom::cli

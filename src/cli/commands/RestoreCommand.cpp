#include <cstdio>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/CommandSupport.h"
#include "cli/KeyboardAccess.h"
#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "cli/commands/WholeKeyboard.h"
#include "connection/KeyboardBackup.h"
#include "keymap/KeyMapFile.h"
#include "keymap/KeyMapXml.h"
#include "settings/AppPaths.h"

namespace keyloom::cli {

namespace {

struct RestoreArguments {
  std::string file;
  std::optional<int> profile;  // 1-3; none: every profile and the lighting
};

// What a restore from `file` came to; what did not arrive is told on standard error, and given
// here in the JSON output.
void PrintRestored(Context& context, const std::filesystem::path& file,
                   const connection::RestoreReport& report) {
  std::ostream& out = context.console.out;
  if (context.options.json) {
    Json json = RestoreJson(report);
    json["restored"] = file.string();
    PrintJson(out, json);
    return;
  }
  switch (report.outcome) {
    case connection::RestoreReport::Outcome::kDone:
      out << "Restored the keyboard from " << file.string();
      break;
    case connection::RestoreReport::Outcome::kNotChecked:
      out << "The keyboard was sent what " << file.string() << " holds, but profile "
          << *report.unreadProfile + 1 << " could not be checked";
      break;
    case connection::RestoreReport::Outcome::kNotRecorded:
      out << "The restore from " << file.string() << " stopped, since the key map could not record "
          << "a change (" << report.notDone.size() << " not sent)";
      break;
    default:
      out << "The keyboard does not hold all of " << file.string();
      break;
  }
  out << ": " << Changes(report.sent) << " sent, " << report.skipped
      << " already as in the backup.\n";
}

int RunRestore(Context& context, const RestoreArguments& a) {
  using connection::RestoreReport;
  const std::optional<int> profile = a.profile;
  const std::filesystem::path file = settings::PathFromUtf8(a.file);
  keymap::KeyMapDocument backup;
  if (const storage::LoadResult loaded = keymap::ReadKeyMapFile(file, backup); !loaded.ok()) {
    context.console.err << "keyloomctl: "
                        << (loaded.status == storage::LoadResult::Status::kMissing
                                ? "there is no file " + file.string()
                                : Printable(loaded.error))
                        << "; nothing was sent\n";
    return kExitUsage;
  }
  const keymap::KeyboardModel configured{context.config.vendorId, context.config.productId};
  const connection::BackupGoal restoring = connection::GoalOfBackup(
      backup, configured, profile ? std::optional<int>(*profile - 1) : std::nullopt);
  if (restoring.refusal == connection::BackupRefusal::kOtherModel) {
    char model[48];
    std::snprintf(model, sizeof model, "vendor id 0x%04x, product id 0x%04x",
                  static_cast<unsigned>(backup.model->vendorId),
                  static_cast<unsigned>(backup.model->productId));
    context.console.err << "keyloomctl: " << file.string()
                        << " is a backup of another keyboard model (" << model
                        << ") than the configuration names; nothing was sent\n";
    return kExitUsage;
  }
  if (restoring.refusal == connection::BackupRefusal::kProfileNotListed) {
    context.console.err << "keyloomctl: " << file.string() << " holds nothing of profile "
                        << *profile << "; nothing was sent\n";
    return kExitUsage;
  }
  const connection::RestoreGoal& goal = restoring.goal;
  const int unknown = WarnUnknownContent(
      context, goal.map, goal.profiles,
      "its content is not in the backup, so it cannot be restored; it stays where "
      "the keyboard still holds it");
  auto [keyboard, failure] = OpenKeyboard(context);
  if (!keyboard) {
    return failure;
  }
  const RestoreReport report = connection::Restore(*keyboard, goal, ProgressOnTerminal(context));
  const bool simulatorFailed = ReportFileTrouble(*keyboard, context.console);
  if (report.outcome == RestoreReport::Outcome::kNotRead) {
    ComplainSlotsUnknown(context, report.transfers, *report.unreadProfile + 1, "nothing was sent");
    return kExitNotDone;
  }
  TellWhatDidNotArrive(context, report);
  PrintRestored(context, file, report);
  const bool done = report.outcome == RestoreReport::Outcome::kDone;
  return done && unknown == 0 && !simulatorFailed ? kExitOk : kExitNotDone;
}

}  // namespace

void DefineRestore(CLI::App& app, ChosenCommand& chosen) {
  auto* restore = app.add_subcommand(
      "restore", "Make the keyboard hold what the backup FILE holds, slot for slot");
  RestoreArguments& a = Runs(*restore, chosen, &RunRestore);
  restore->add_option("FILE", a.file, "A file written by backup")->required();
  restore->add_option("--profile", a.profile, "Only profile N (1-3), without the lighting")
      ->type_name("N")
      ->check(CLI::Range(1, 3));
}

}  // namespace keyloom::cli

#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/KeyboardAccess.h"
#include "connection/KeyboardBackup.h"
#include "keymap/KeyMapFile.h"
#include "keymap/KeyMapXml.h"
#include "settings/AppPaths.h"

namespace keyloom::cli {

namespace {

using Half = protocol::KeySlotTable::Half;
using connection::RestoreReport;
using connection::RestoreStep;

std::string SlotText(int profileIndex, Half half, std::size_t slot) {
  return "profile " + std::to_string(profileIndex + 1) + ", " + HalfName(half) + " slot " +
         std::to_string(slot + 1);
}

// Tells of every key of the profiles of `map` in `profiles` whose content is not known;
// `consequence` says what comes of it. Answers how many there are.
int WarnUnknownContent(Context& context, const keymap::KeyMap& map,
                       const std::array<bool, keymap::kProfileCount>& profiles,
                       const char* consequence) {
  const std::vector<connection::UnknownKey> unknown =
      connection::KeysOfUnknownContent(map, profiles);
  for (const connection::UnknownKey& key : unknown) {
    context.console.err << "keyloomctl: warning: " << SlotText(key.profileIndex, key.half, key.slot)
                        << ": " << KeyWithCode(key.keyCode)
                        << " is assigned elsewhere: " << consequence << '\n';
  }
  return static_cast<int>(unknown.size());
}

// A restore's progress on the terminal, one line per step.
connection::RestoreProgressCallback ProgressOnTerminal(Context& context) {
  if (!context.console.progress) {
    return nullptr;
  }
  return [&err = context.console.err](const connection::RestoreProgress& progress) {
    const RestoreStep& step = progress.step;
    err << "keyloomctl: [" << progress.index + 1 << '/' << progress.total << "] ";
    switch (step.kind) {
      case RestoreStep::Kind::kRemove:
        err << SlotText(step.profileIndex, step.half, step.slot) << ": removing "
            << KeyWithCode(step.keyCode);
        break;
      case RestoreStep::Kind::kAssign:
        err << SlotText(step.profileIndex, step.half, step.slot) << ": "
            << DescribeKey(step.keyCode, step.content);
        break;
      case RestoreStep::Kind::kLighting:
        err << "the lighting of LED mode " << step.ledMode;
        break;
    }
    err << '\n' << std::flush;
    return true;
  };
}

// Tells what the keyboard does not hold of the goal after a restore.
void TellWhatDidNotArrive(Context& context, const RestoreReport& report) {
  auto& err = context.console.err;
  for (const connection::RestoreMismatch& mismatch : report.mismatches) {
    err << "keyloomctl: did not arrive: "
        << SlotText(mismatch.profileIndex, mismatch.half, mismatch.slot);
    if (mismatch.wanted == 0) {
      err << " is to be free but holds " << KeyWithCode(mismatch.found) << '\n';
    } else if (mismatch.found == mismatch.wanted) {
      err << " holds " << KeyWithCode(mismatch.found) << ", but whether it does what it should ("
          << DescribeKey(mismatch.wanted, mismatch.content) << ") is not known\n";
    } else {
      err << " is to hold " << DescribeKey(mismatch.wanted, mismatch.content) << ", but "
          << (mismatch.found == 0 ? "is free" : "holds " + KeyWithCode(mismatch.found)) << '\n';
    }
  }
  for (const RestoreStep& step : report.notDone) {
    if (step.kind == RestoreStep::Kind::kLighting) {
      err << "keyloomctl: did not arrive: the lighting of LED mode " << step.ledMode << '\n';
    }
  }
  if (report.unreadProfile) {
    err << "keyloomctl: the keyboard's slot table of profile " << *report.unreadProfile + 1
        << " did not arrive whole after the restore: whether it holds what it should is not "
           "known\n";
  }
}

}  // namespace

int RunBackup(Context& context, const std::string& fileText) {
  const std::filesystem::path file = settings::PathFromUtf8(fileText);
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
                     "what it does");
  const storage::FileResult written = keymap::WriteKeyMapFile(file, reading.map, keyboard->Model());
  if (!written.ok()) {
    context.console.err << "keyloomctl: " << Printable(written.error()) << '\n';
    return kExitUsage;
  }
  context.output.BackedUp(file, reading.map);
  return simulatorFailed ? kExitNotDone : kExitOk;
}

int RunRestore(Context& context, const std::string& fileText, std::optional<int> profile) {
  const std::filesystem::path file = settings::PathFromUtf8(fileText);
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
  context.output.Restored(file, report);
  const bool done = report.outcome == RestoreReport::Outcome::kDone;
  return done && unknown == 0 && !simulatorFailed ? kExitOk : kExitNotDone;
}

int RunCopyProfile(Context& context, int from, int to) {
  if (from == to) {
    context.console.err << "keyloomctl: copy-profile takes two different profiles\n";
    return kExitUsage;
  }
  auto [keyboard, failure] = OpenKeyboard(context);
  if (!keyboard) {
    return failure;
  }
  const protocol::SlotRead read = keyboard->SelectProfile(from - 1);
  if (!read.whole) {
    ReportFileTrouble(*keyboard, context.console);
    ComplainSlotsUnknown(context, read.transfers, from, "nothing was copied");
    return kExitNotDone;
  }
  keymap::KeyMap source;
  source.SetProfile(from - 1, keyboard->KeyMap().Holding(from - 1, read.slots));
  std::array<bool, keymap::kProfileCount> sourceProfile{};
  sourceProfile[static_cast<std::size_t>(from - 1)] = true;
  const int unknown = WarnUnknownContent(context, source, sourceProfile,
                                         "what it does is not known, so it is not copied");
  const connection::RestoreGoal goal =
      connection::CopyProfileGoal(source.Profile(from - 1), to - 1);
  const RestoreReport report = connection::Restore(*keyboard, goal, ProgressOnTerminal(context));
  const bool simulatorFailed = ReportFileTrouble(*keyboard, context.console);
  if (report.outcome == RestoreReport::Outcome::kNotRead) {
    ComplainSlotsUnknown(context, report.transfers, to, "nothing was sent");
    return kExitNotDone;
  }
  TellWhatDidNotArrive(context, report);
  context.output.ProfileCopied(from, to, report);
  const bool done = report.outcome == RestoreReport::Outcome::kDone;
  return done && unknown == 0 && !simulatorFailed ? kExitOk : kExitNotDone;
}

}  // namespace keyloom::cli

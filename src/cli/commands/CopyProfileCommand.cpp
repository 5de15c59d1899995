#include <array>
#include <ostream>

#include <CLI/CLI.hpp>

#include "cli/CommandSupport.h"
#include "cli/KeyboardAccess.h"
#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "cli/commands/WholeKeyboard.h"
#include "connection/KeyboardBackup.h"
#include "keymap/KeyMap.h"
#include "protocol/KeyboardProtocol.h"

namespace keyloom::cli {

namespace {

struct CopyProfileArguments {
  int from = 1;  // 1-3
  int to = 1;    // 1-3
};

// What a copy of profile `from` to `to` came to; what did not arrive is told on standard error,
// and given here in the JSON output.
void PrintProfileCopied(Context& context, int from, int to,
                        const connection::RestoreReport& report) {
  std::ostream& out = context.console.out;
  if (context.options.json) {
    Json json = RestoreJson(report);
    json["from"] = from;
    json["to"] = to;
    PrintJson(out, json);
    return;
  }
  out << "Profile " << to;
  switch (report.outcome) {
    case connection::RestoreReport::Outcome::kDone:
      out << " now holds what profile " << from << " holds";
      break;
    case connection::RestoreReport::Outcome::kNotChecked:
      out << " was sent what profile " << from << " holds, but could not be checked";
      break;
    case connection::RestoreReport::Outcome::kNotRecorded:
      out << " was not made to hold what profile " << from
          << " holds, since the key map could not record a change (" << report.notDone.size()
          << " not sent)";
      break;
    default:
      out << " does not hold all that profile " << from << " holds";
      break;
  }
  out << ": " << Changes(report.sent) << " sent, " << report.skipped << " already in place.\n";
}

int RunCopyProfile(Context& context, const CopyProfileArguments& a) {
  using connection::RestoreReport;
  const int from = a.from;
  const int to = a.to;
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
  const int unknown =
      WarnUnknownContent(context, source, sourceProfile,
                         "what it does is not known, so it is not copied", &keyboard->KeyMap());
  const connection::RestoreGoal goal =
      connection::CopyProfileGoal(source.Profile(from - 1), to - 1);
  const RestoreReport report = connection::Restore(*keyboard, goal, ProgressOnTerminal(context));
  const bool simulatorFailed = ReportFileTrouble(*keyboard, context.console);
  if (report.outcome == RestoreReport::Outcome::kNotRead) {
    ComplainSlotsUnknown(context, report.transfers, to, "nothing was sent");
    return kExitNotDone;
  }
  TellWhatDidNotArrive(context, report);
  PrintProfileCopied(context, from, to, report);
  const bool done = report.outcome == RestoreReport::Outcome::kDone;
  return done && unknown == 0 && !simulatorFailed ? kExitOk : kExitNotDone;
}

}  // namespace

void DefineCopyProfile(CLI::App& app, ChosenCommand& chosen) {
  auto* copy = app.add_subcommand("copy-profile", "Make profile TO hold what profile FROM holds");
  CopyProfileArguments& a = Runs(*copy, chosen, &RunCopyProfile);
  copy->add_option("FROM", a.from, "Profile 1-3")->required()->check(CLI::Range(1, 3));
  copy->add_option("TO", a.to, "Profile 1-3")->required()->check(CLI::Range(1, 3));
}

}  // namespace keyloom::cli

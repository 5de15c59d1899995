#include <istream>
#include <ostream>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/CommandSupport.h"
#include "cli/KeyboardAccess.h"
#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "protocol/CommandSet.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/UserTexts.h"

namespace keyloom::cli {

namespace {

struct FactoryResetArguments {
  bool confirmed = false;  // --yes
};

void PrintFactoryRestored(Context& context) {
  if (context.options.json) {
    PrintJson(context.console.out, {{"factoryReset", true}, {"profile", 1}});
    return;
  }
  context.console.out << "Factory settings restored; profile 1 is active.\n";
}

int RunFactoryReset(Context& context, const FactoryResetArguments& a) {
  const bool confirmed = a.confirmed;
  if (!confirmed && !context.console.interactive) {
    context.console.err << "keyloomctl: factory-reset restores every setting of the keyboard; "
                           "confirm with --yes\n";
    return kExitUsage;
  }
  auto [keyboard, failure] = OpenKeyboard(context);
  if (!keyboard) {
    return failure;
  }
  if (!confirmed) {
    context.console.err << protocol::kRestoreFactoryQuestion << " [y/N] " << std::flush;
    std::string answer;
    std::getline(context.console.in, answer);
    if (answer != "y" && answer != "Y" && answer != "yes") {
      return kExitNotDone;
    }
  }
  const protocol::RestoreResult result = keyboard->RestoreFactory(nullptr);
  const bool simulatorFailed = ReportFileTrouble(*keyboard, context.console);
  // The restore frame, the first transfer, is what counts; the slot read after it only
  // refreshes the table.
  const auto& firstFailure = result.transfers.firstFailure();
  const bool sent = !firstFailure || firstFailure->kind != protocol::Transfers::Kind::kSet ||
                    firstFailure->frame[1] != protocol::kCommandRestoreFactory;
  if (!sent) {
    context.console.err << "keyloomctl: the keyboard did not take the factory restore ("
                        << DescribeFailure(result.transfers) << ")\n";
  }
  if (!sent || simulatorFailed) {
    return kExitNotDone;
  }
  PrintFactoryRestored(context);
  return kExitOk;
}

}  // namespace

void DefineFactoryReset(CLI::App& app, ChosenCommand& chosen) {
  auto* factory = app.add_subcommand("factory-reset", "Restore the keyboard's factory settings");
  FactoryResetArguments& a = Runs(*factory, chosen, &RunFactoryReset);
  factory->add_flag("--yes", a.confirmed, "Do not ask for confirmation");
}

}  // namespace keyloom::cli

#include "cli/commands/KeyChange.h"

#include <ostream>
#include <string>
#include <string_view>

#include "cli/CommandSupport.h"
#include "cli/KeyboardAccess.h"
#include "keymap/ContentBuilder.h"
#include "protocol/KeyNameTable.h"
#include "protocol/UserTexts.h"

namespace keyloom::cli {

protocol::SelectedKeys OneKey(std::uint8_t code) {
  protocol::SelectedKeys keys;
  keys.emplace(code, protocol::UsageName(code));
  return keys;
}

bool ReportAssignment(Context& context, const protocol::AssignmentResult& result, int profile,
                      std::uint8_t key, protocol::KeySlotTable::Half half, const char* doing) {
  using protocol::AssignmentOutcome;
  auto& err = context.console.err;
  const std::string keyName = protocol::UsageName(key);
  switch (result.outcome) {
    case AssignmentOutcome::kDone:
      return true;
    case AssignmentOutcome::kNoSpace:
      err << "keyloomctl: " << protocol::kInsufficientSpaceText << '\n';
      break;
    case AssignmentOutcome::kNothingToAssign:
      err << "keyloomctl: nothing to assign to " << keyName << '\n';
      break;
    case AssignmentOutcome::kSlotsUnknown:
      ComplainSlotsUnknown(context, result.transfers, profile,
                           "nothing was sent, so that no other key's assignment is overwritten");
      break;
    case AssignmentOutcome::kNotTaken:
      err << "keyloomctl: the keyboard did not take the " << doing << ": " << keyName
          << (std::string_view(doing) == "removal" ? " is still in a " : " is not in a ")
          << HalfName(half) << " slot of profile " << profile << " afterwards\n";
      break;
    case AssignmentOutcome::kUnconfirmed:
      err << "keyloomctl: the slot table read after the " << doing << " did not arrive whole ("
          << DescribeFailure(result.transfers) << "): whether the keyboard took it for " << keyName
          << " is not known; 'keyloomctl slots --profile " << profile << "' reads it again\n";
      break;
    case AssignmentOutcome::kRejected:
      err << "keyloomctl: the keyboard rejected a frame of the " << doing << " ("
          << DescribeFailure(result.transfers) << "): " << keyName << " is in a " << HalfName(half)
          << " slot of profile " << profile
          << " but may hold an incomplete assignment; assign it again\n";
      break;
    case AssignmentOutcome::kNotRecorded:
      // ReportFileTrouble said why.
      break;
  }
  return false;
}

Applied ApplyToKey(Context& context, std::optional<int> requested, std::uint8_t key,
                   const keymap::KeyContent& content) {
  auto [keyboard, failure] = OpenKeyboard(context);
  if (!keyboard) {
    return {failure};
  }
  const int profile = ProfileToChange(context, *keyboard, requested);
  const auto result = keyboard->Assign(profile - 1, profile - 1, content, OneKey(key));
  const bool simulatorFailed = ReportFileTrouble(*keyboard, context.console);
  const auto half = keymap::HalfOf(content.kind);
  const char* what = half == protocol::KeySlotTable::Half::kMacro ? "macro" : "remap";
  if (!ReportAssignment(context, result, profile, key, half, what) || simulatorFailed ||
      !result.slot) {
    return {kExitNotDone, profile};
  }
  return {kExitOk, profile, *result.slot};
}

}  // namespace keyloom::cli

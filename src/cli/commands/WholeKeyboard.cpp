#include "cli/commands/WholeKeyboard.h"

#include <ostream>
#include <vector>

#include "cli/CommandSupport.h"
#include "protocol/KeyNameTable.h"

namespace keyloom::cli {

namespace {

using Half = protocol::KeySlotTable::Half;
using connection::RestoreReport;
using connection::RestoreStep;

Json KeyJson(std::uint8_t key) {
  return key == 0 ? Json(nullptr) : Json({{"code", key}, {"key", protocol::UsageName(key)}});
}

}  // namespace

std::string SlotText(int profileIndex, Half half, std::size_t slot) {
  return "profile " + std::to_string(profileIndex + 1) + ", " + HalfName(half) + " slot " +
         std::to_string(slot + 1);
}

int WarnUnknownContent(Context& context, const keymap::KeyMap& map,
                       const std::array<bool, keymap::kProfileCount>& profiles,
                       const char* consequence, const keymap::KeyMap* keyboardMap) {
  const std::vector<connection::UnknownKey> unknown =
      connection::KeysOfUnknownContent(map, profiles);
  for (const connection::UnknownKey& key : unknown) {
    const bool unfinished =
        keyboardMap != nullptr && keyboardMap->Unfinished(key.profileIndex, key.half, key.keyCode);
    context.console.err << "keyloomctl: warning: " << SlotText(key.profileIndex, key.half, key.slot)
                        << ": " << KeyWithCode(key.keyCode)
                        << (unfinished ? " is of unknown content (an earlier change may not have "
                                         "finished): "
                                       : " is assigned elsewhere: ")
                        << consequence << '\n';
  }
  return static_cast<int>(unknown.size());
}

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

void TellWhatDidNotArrive(Context& context, const RestoreReport& report) {
  if (report.outcome == RestoreReport::Outcome::kNotRecorded) {
    return;
  }
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

Json RestoreJson(const RestoreReport& report) {
  Json notArrived = Json::array();
  for (const connection::RestoreMismatch& mismatch : report.mismatches) {
    Json wanted = KeyJson(mismatch.wanted);
    if (mismatch.wanted != 0) {
      wanted["assignment"] = ContentJson(mismatch.wanted, mismatch.content);
    }
    notArrived.push_back({{"profile", mismatch.profileIndex + 1},
                          {"half", mismatch.half == Half::kMacro ? "macro" : "remap"},
                          {"slot", mismatch.slot + 1},
                          {"wanted", wanted},
                          {"found", KeyJson(mismatch.found)}});
  }
  Json lighting = Json::array();
  for (const RestoreStep& step : report.notDone) {
    if (step.kind == RestoreStep::Kind::kLighting) {
      lighting.push_back(step.ledMode);
    }
  }
  return {
      {"sent", report.sent},
      {"skipped", report.skipped},
      {"matched", report.outcome == RestoreReport::Outcome::kDone},
      {"notArrived", notArrived},
      {"lightingNotArrived", lighting},
      {"unreadProfile", report.unreadProfile ? Json(*report.unreadProfile + 1) : Json(nullptr)}};
}

std::string Changes(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " change" : " changes");
}

}  // namespace keyloom::cli

#include <algorithm>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/CommandSupport.h"
#include "cli/KeyboardAccess.h"
#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "keymap/ContentBuilder.h"
#include "keymap/KeyMap.h"
#include "macro/MacroLibrary.h"
#include "protocol/KeyNameTable.h"
#include "protocol/KeyboardProtocol.h"
#include "settings/AppPaths.h"

namespace keyloom::cli {

namespace {

using Half = protocol::KeySlotTable::Half;

struct ProfileArguments {
  int profile = 1;
};

struct SlotsArguments {
  std::optional<int> profile;
};

// Said after a key whose macro was changed in the library since the key was given it.
constexpr const char* kOlderCopyRemark =
    " (changed since in the library: the key plays the older copy until it is assigned again)";

// Whether the key plays an older copy of its macro; never without the library.
bool OlderCopy(const keymap::SlotAssignment& assignment, const macro::MacroLibrary* library) {
  return library != nullptr && keymap::PlaysOlderCopy(assignment.content, *library);
}

Json SlotsJson(const std::vector<keymap::SlotAssignment>& assignments, Half half,
               const macro::MacroLibrary* library) {
  Json list = Json::array();
  for (std::size_t i = 0; i < protocol::KeySlotTable::kSlotsPerHalf; ++i) {
    const auto held = std::ranges::find_if(assignments, [&](const keymap::SlotAssignment& a) {
      return a.half == half && a.slot == i;
    });
    if (held == assignments.end()) {
      list.push_back({{"slot", i + 1}, {"code", 0}, {"key", nullptr}, {"assignment", nullptr}});
      continue;
    }
    Json assignment = ContentJson(held->keyCode, held->content, held->unfinished);
    if (held->content.kind == keymap::ContentKind::kMacro) {
      assignment["olderCopy"] = OlderCopy(*held, library);
    }
    list.push_back({{"slot", i + 1},
                    {"code", held->keyCode},
                    {"key", protocol::UsageName(held->keyCode)},
                    {"assignment", std::move(assignment)}});
  }
  return list;
}

void PrintHalf(std::ostream& out, const std::vector<keymap::SlotAssignment>& assignments, Half half,
               const char* title, const macro::MacroLibrary* library) {
  const auto used = std::ranges::count_if(
      assignments, [half](const keymap::SlotAssignment& a) { return a.half == half; });
  out << title << " (" << used << " of " << protocol::KeySlotTable::kSlotsPerHalf << " used)"
      << (used == 0 ? "\n" : ":\n");
  for (const keymap::SlotAssignment& assignment : assignments) {
    if (assignment.half == half) {
      char number[8];
      std::snprintf(number, sizeof number, "%4zu", assignment.slot + 1);
      out << number << "  "
          << DescribeKey(assignment.keyCode, assignment.content, assignment.unfinished)
          << (OlderCopy(assignment, library) ? kOlderCopyRemark : "") << '\n';
    }
  }
}

// The occupied slots of the active profile with what each key does; `profile` is 1-3, or
// nullopt when which one is active is not known, for `unknownReason`. A key whose macro
// `library` holds changed since is said to play the older copy (null: not told).
void PrintSlots(Context& context, std::optional<int> profile, std::string_view unknownReason,
                const std::vector<keymap::SlotAssignment>& assignments,
                const macro::MacroLibrary* library) {
  std::ostream& out = context.console.out;
  if (context.options.json) {
    PrintJson(out,
              {{"profile", profile ? Json(*profile) : Json(nullptr)},
               {"profileUnknownReason", profile ? Json(nullptr) : Json(std::string(unknownReason))},
               {"macroSlots", SlotsJson(assignments, Half::kMacro, library)},
               {"remapSlots", SlotsJson(assignments, Half::kRemap, library)}});
    return;
  }
  if (profile) {
    out << "Active profile: " << *profile << '\n';
  } else {
    out << "Active profile: unknown (" << unknownReason << ")\n";
  }
  PrintHalf(out, assignments, Half::kMacro, "Macro slots", library);
  PrintHalf(out, assignments, Half::kRemap, "Remap slots", library);
}

int RunSlots(Context& context, const SlotsArguments& a) {
  const std::optional<int> profile = a.profile;
  auto [keyboard, failure] = OpenKeyboard(context);
  if (!keyboard) {
    return failure;
  }
  const protocol::SlotRead read =
      profile ? keyboard->SelectProfile(*profile - 1) : keyboard->ReadSlots();
  const bool simulatorFailed = ReportFileTrouble(*keyboard, context.console);
  if (!read.whole) {
    ComplainSlotsUnknown(context, read.transfers, profile, nullptr);
    return kExitNotDone;
  }
  // Without --profile the table is of the profile the key map saw selected last; when it knows
  // none, every key's content is unknown.
  const ActiveProfile active = FindActiveProfile(*keyboard, context.dataDir);
  const int shown = active.profile.value_or(0) - 1;
  const std::vector<keymap::SlotAssignment> assignments =
      keyboard->KeyMap().Assignments(shown, read.slots);
  // The library is read, never changed, only when a key plays a macro, to tell whether that
  // macro was changed since.
  macro::MacroLibrary library;
  const bool playsMacro =
      std::ranges::any_of(assignments, [](const keymap::SlotAssignment& assignment) {
        return assignment.content.kind == keymap::ContentKind::kMacro;
      });
  const bool libraryRead =
      playsMacro &&
      library.Load(context.dataDir / settings::PathFromUtf8(macro::kMacroLibraryFileName)).ok();
  PrintSlots(context, active.profile, active.unknownReason, assignments,
             libraryRead ? &library : nullptr);
  return simulatorFailed ? kExitNotDone : kExitOk;
}

int RunProfile(Context& context, const ProfileArguments& a) {
  return RunSlots(context, {a.profile});
}

}  // namespace

void DefineProfile(CLI::App& app, ChosenCommand& chosen) {
  auto* profile = app.add_subcommand("profile", "Make profile N active and show its key slots");
  ProfileArguments& a = Runs(*profile, chosen, &RunProfile);
  profile->add_option("N", a.profile, "Profile 1-3")->required()->check(CLI::Range(1, 3));
}

void DefineSlots(CLI::App& app, ChosenCommand& chosen) {
  auto* slots = app.add_subcommand(
      "slots", "Show the active profile and which of its keys carry macros and remaps");
  SlotsArguments& a = Runs(*slots, chosen, &RunSlots);
  slots->add_option("--profile", a.profile, "Make profile N active first (1-3)")
      ->type_name("N")
      ->check(CLI::Range(1, 3));
}

}  // namespace keyloom::cli

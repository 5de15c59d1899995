#include "cli/Commands.h"

#include <array>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>

#include "cli/DeviceSession.h"
#include "cli/KeyArgument.h"
#include "hid/DeviceSelector.h"
#include "protocol/KeyAssignmentRecord.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/KeyboardState.h"
#include "protocol/LightingPanels.h"
#include "protocol/LightingSync.h"
#include "protocol/LightingTable.h"
#include "protocol/SelectedKeys.h"

namespace keyloom::cli {

namespace {

hid::DeviceSelector SelectorFrom(const settings::AppConfig& config) {
  return {config.vendorId, config.productId, config.interfaceNumber, config.collectionNumber};
}

// Opens the keyboard for a command; on failure the user has been told why.
std::unique_ptr<DeviceSession> OpenKeyboard(Context& context) {
  auto session = std::make_unique<DeviceSession>(context.options, SelectorFrom(context.config),
                                                 context.dataDir, context.console);
  if (!session->OpenKeyboard(context.configFile)) {
    return nullptr;
  }
  return session;
}

std::optional<std::uint8_t> KeyOrComplain(Context& context, const std::string& text,
                                          const char* role) {
  const auto code = ParseKeyArgument(text);
  if (!code) {
    context.console.err << "keyloomctl: " << role << " \"" << text
                        << "\" is neither a key name (such as A, F5, Ctrl Left) nor a key code "
                           "from 1 to 255 (such as 0x04)\n";
  }
  return code;
}

// Makes the profile active and reads its slots, as the main window does before it assigns.
protocol::KeyboardState PrepareProfile(protocol::Link& link, int profile) {
  protocol::KeyboardState state;
  state.profileIndex = profile - 1;
  protocol::SelectProfile(link, state.profileIndex);
  state.slots = protocol::ReadKeySlots(link);
  return state;
}

protocol::SelectedKeys OneKey(std::uint8_t code) {
  protocol::SelectedKeys keys;
  keys.emplace(code, KeyDisplayName(code));
  return keys;
}

// Parses "0,1,2,none,4,5": six area colours, each 0-6 or "none" (-1).
std::optional<std::array<int, protocol::kLightingAreaCount>> ParseAreas(const std::string& text) {
  std::array<int, protocol::kLightingAreaCount> areas{};
  std::size_t start = 0;
  for (std::size_t i = 0; i < areas.size(); ++i) {
    const std::size_t comma = text.find(',', start);
    const bool last = i + 1 == areas.size();
    if (last != (comma == std::string::npos)) {
      return std::nullopt;
    }
    const std::string piece = text.substr(start, last ? std::string::npos : comma - start);
    if (piece == "none") {
      areas[i] = -1;
    } else if (piece.size() == 1 && piece[0] >= '0' && piece[0] <= '6') {
      areas[i] = piece[0] - '0';
    } else {
      return std::nullopt;
    }
    start = comma + 1;
  }
  return areas;
}

// The parameters the user gave that the mode does not use, as option names.
std::string UnusedParameters(const LightArguments& a, const protocol::LightingPanels& panels) {
  std::string unused;
  auto add = [&unused](bool given, bool used, const char* name) {
    if (given && !used) {
      unused += unused.empty() ? name : std::string(", ") + name;
    }
  };
  add(a.speed.has_value(), panels.speed, "--speed");
  add(a.colour.has_value(), panels.colourBar, "--colour");
  add(a.direction.has_value(), panels.direction, "--direction");
  add(a.areas.has_value(), panels.userAreas, "--areas");
  return unused;
}

void ReportSimulatorTrouble(DeviceSession& session, Context& context) {
  if (const auto problem = session.SimulatorProblem()) {
    context.console.err << "keyloomctl: warning: " << *problem << '\n';
  }
}

}  // namespace

int RunDevices(Context& context, bool all) {
  DeviceSession session(context.options, SelectorFrom(context.config), context.dataDir,
                        context.console);
  const hid::DeviceSelector selector =
      all ? hid::DeviceSelector{0, 0, -1, -1} : SelectorFrom(context.config);
  const auto interfaces = session.backend().FindInterfaces(selector, session.diagnostics());
  context.output.Devices(interfaces,
                         all || interfaces.empty() ? std::nullopt : std::optional<std::size_t>(0));
  if (interfaces.empty() && !all) {
    context.console.err << "keyloomctl: no HID interface matches the configuration ("
                        << context.configFile.string() << ")\n";
    return kExitNoKeyboard;
  }
  return kExitOk;
}

int RunConfig(Context& context) {
  context.output.Config(context.config, context.configFile, context.configLoaded);
  return kExitOk;
}

int RunProfile(Context& context, int profile) {
  auto session = OpenKeyboard(context);
  if (!session) {
    return kExitNoKeyboard;
  }
  const auto state = PrepareProfile(session->link(), profile);
  ReportSimulatorTrouble(*session, context);
  context.output.Slots(state.slots, profile);
  return kExitOk;
}

int RunSlots(Context& context, std::optional<int> profile) {
  auto session = OpenKeyboard(context);
  if (!session) {
    return kExitNoKeyboard;
  }
  if (profile) {
    protocol::SelectProfile(session->link(), *profile - 1);
  }
  const auto slots = protocol::ReadKeySlots(session->link());
  ReportSimulatorTrouble(*session, context);
  context.output.Slots(slots, profile);
  return kExitOk;
}

int RunLight(Context& context, const LightArguments& a) {
  const auto panels = protocol::LightingPanelsForMode(a.mode);
  if (!panels) {
    context.console.err << "keyloomctl: LED mode " << a.mode << " is not 0-9\n";
    return kExitUsage;
  }
  if (const std::string unused = UnusedParameters(a, *panels); !unused.empty()) {
    context.console.err << "keyloomctl: LED mode " << a.mode << " does not use " << unused << '\n';
    return kExitUsage;
  }
  std::optional<std::array<int, protocol::kLightingAreaCount>> areas;
  if (a.areas) {
    areas = ParseAreas(*a.areas);
    if (!areas) {
      context.console.err << "keyloomctl: --areas takes six area colours separated by commas, "
                             "each 0-6 or none, such as 0,1,2,none,4,5\n";
      return kExitUsage;
    }
  }

  // Start from what the controls would show for the mode's default record and change only what
  // the user gave, so that the parameters left out keep their defaults.
  protocol::LightingTable table;
  const auto shown = protocol::SyncLightingToControls(table, a.mode);
  protocol::LightingControlValues controls;
  controls.brightness = a.brightness.value_or(shown->brightness);
  controls.speed = a.speed.value_or(shown->speed.value_or(0));
  controls.colour = a.colour ? *a.colour - 1 : shown->colourIndex.value_or(-1);
  controls.direction =
      a.direction ? (*a.direction == "right" ? 1 : 0) : shown->directionIndex.value_or(0);
  if (areas) {
    controls.areas = *areas;
  } else if (shown->areaValues) {
    for (std::size_t i = 0; i < controls.areas.size(); ++i) {
      const int value = (*shown->areaValues)[i];
      controls.areas[i] = value == 15 ? -1 : value;
    }
  }
  protocol::SyncLightingFromControls(table, a.mode, controls);

  auto session = OpenKeyboard(context);
  if (!session) {
    return kExitNoKeyboard;
  }
  protocol::SendLighting(session->link(), a.mode, table);
  ReportSimulatorTrouble(*session, context);
  context.output.Lighting(a.mode, table[a.mode]);
  return kExitOk;
}

int RunRemap(Context& context, const std::string& keyText, const std::string& targetText,
             int profile) {
  const auto key = KeyOrComplain(context, keyText, "KEY");
  const auto target = KeyOrComplain(context, targetText, "TARGET");
  if (!key || !target) {
    return kExitUsage;
  }
  auto session = OpenKeyboard(context);
  if (!session) {
    return kExitNoKeyboard;
  }
  auto& link = session->link();
  auto state = PrepareProfile(link, profile);

  protocol::KeyAssignmentRecord record;
  record.SetKeyCode(*target);
  record.SetRepeatCount(0);
  const auto outcome = protocol::ApplyKeyAssignment(
      link, state, state.profileIndex, record, OneKey(*key),
      [&err = context.console.err](std::string_view, std::string_view text) {
        err << "keyloomctl: " << text << '\n';
      });
  ReportSimulatorTrouble(*session, context);
  if (outcome != protocol::AssignmentOutcome::kDone) {
    return kExitNotDone;
  }
  // The slot read that ends the assignment is the keyboard's own word on whether it took it.
  const auto slot = state.slots.FindExact(protocol::KeySlotTable::Half::kRemap, *key);
  if (!slot) {
    context.console.err << "keyloomctl: the keyboard did not take the remap: "
                        << KeyDisplayName(*key) << " is not in a remap slot of profile " << profile
                        << " afterwards\n";
    return kExitNotDone;
  }
  context.output.Remapped(profile, *key, *target, *slot);
  return kExitOk;
}

int RunClear(Context& context, const std::string& keyText, int profile) {
  const auto key = KeyOrComplain(context, keyText, "KEY");
  if (!key) {
    return kExitUsage;
  }
  auto session = OpenKeyboard(context);
  if (!session) {
    return kExitNoKeyboard;
  }
  auto& link = session->link();
  auto state = PrepareProfile(link, profile);
  using Half = protocol::KeySlotTable::Half;
  // A key in both halves loses only its macro.
  std::optional<Half> removed;
  if (state.slots.FindExact(Half::kMacro, *key)) {
    removed = Half::kMacro;
  } else if (state.slots.FindExact(Half::kRemap, *key)) {
    removed = Half::kRemap;
  }
  protocol::KeyAssignmentRecord record;
  protocol::DeleteKeyAssignment(link, state, state.profileIndex, record, OneKey(*key));
  ReportSimulatorTrouble(*session, context);
  if (removed && state.slots.FindExact(*removed, *key)) {
    context.console.err << "keyloomctl: the keyboard still reports " << KeyDisplayName(*key)
                        << " in a " << (*removed == Half::kMacro ? "macro" : "remap")
                        << " slot of profile " << profile << '\n';
    return kExitNotDone;
  }
  context.output.Cleared(profile, *key, removed);
  return kExitOk;
}

int RunFactoryReset(Context& context, bool confirmed) {
  if (!confirmed && !context.console.interactive) {
    context.console.err << "keyloomctl: factory-reset restores every setting of the keyboard; "
                           "confirm with --yes\n";
    return kExitUsage;
  }
  auto session = OpenKeyboard(context);
  if (!session) {
    return kExitNoKeyboard;
  }
  protocol::KeyboardState state;
  protocol::RestoreFactorySteps steps;
  steps.confirm = [&](std::string_view, std::string_view question) {
    if (confirmed) {
      return true;
    }
    context.console.err << question << " [y/N] " << std::flush;
    std::string answer;
    std::getline(context.console.in, answer);
    return answer == "y" || answer == "Y" || answer == "yes";
  };
  const bool restored = protocol::RestoreFactory(session->link(), state, steps);
  ReportSimulatorTrouble(*session, context);
  if (!restored) {
    return kExitNotDone;
  }
  context.output.FactoryRestored();
  return kExitOk;
}

}  // namespace keyloom::cli

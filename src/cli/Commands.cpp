#include "cli/Commands.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/CommandSupport.h"
#include "cli/KeyArgument.h"
#include "cli/KeyboardAccess.h"
#include "cli/UserData.h"
#include "hid/DeviceSelector.h"
#include "keymap/ContentBuilder.h"
#include "keymap/KeyContent.h"
#include "keymap/KeyMap.h"
#include "macro/MacroLibrary.h"
#include "protocol/CommandSet.h"
#include "protocol/KeyAssignmentRecord.h"
#include "protocol/KeyNameTable.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/LightingEffects.h"
#include "protocol/LightingParameters.h"
#include "protocol/LightingTable.h"
#include "protocol/SelectedKeys.h"
#include "protocol/UserTexts.h"
#include "settings/AppPaths.h"
#include "settings/AsciiText.h"

namespace keyloom::cli {

namespace {

protocol::SelectedKeys OneKey(std::uint8_t code) {
  protocol::SelectedKeys keys;
  keys.emplace(code, protocol::UsageName(code));
  return keys;
}

// One area colour of --areas: its number or "none".
std::optional<protocol::LightingColour> ParseAreaColour(const std::string& text) {
  if (text == "none") {
    return protocol::kNoColour;
  }
  for (protocol::LightingColour colour = 1; colour <= protocol::kPaletteColours; ++colour) {
    if (text == std::to_string(AreaColourNumber(colour))) {
      return colour;
    }
  }
  return std::nullopt;
}

// Parses "0,1,2,none,4,5": six area colours.
std::optional<std::array<protocol::LightingColour, protocol::kLightingAreaCount>> ParseAreas(
    const std::string& text) {
  std::array<protocol::LightingColour, protocol::kLightingAreaCount> areas{};
  std::size_t start = 0;
  for (std::size_t i = 0; i < areas.size(); ++i) {
    const std::size_t comma = text.find(',', start);
    const bool last = i + 1 == areas.size();
    if (last != (comma == std::string::npos)) {
      return std::nullopt;
    }
    const auto colour =
        ParseAreaColour(text.substr(start, last ? std::string::npos : comma - start));
    if (!colour) {
      return std::nullopt;
    }
    areas[i] = *colour;
    start = comma + 1;
  }
  return areas;
}

// The parameters the user gave that the mode does not use, as option names.
std::string UnusedParameters(const LightArguments& a, const protocol::EffectParameters& uses) {
  std::string unused;
  auto add = [&unused](bool given, bool used, const char* name) {
    if (given && !used) {
      unused += unused.empty() ? name : std::string(", ") + name;
    }
  };
  add(a.speed.has_value(), uses.speed, "--speed");
  add(a.colour.has_value(), uses.colour, "--colour");
  add(a.direction.has_value(), uses.direction, "--direction");
  add(a.areas.has_value(), uses.areas, "--areas");
  return unused;
}

// `light` without a mode: the lighting last sent, as the key map keeps it.
int ShowLighting(Context& context, const LightArguments& a) {
  if (a.brightness || a.speed || a.colour || a.direction || a.areas) {
    context.console.err << "keyloomctl: light needs MODE, the effect, to set its parameters\n";
    return kExitUsage;
  }
  const auto keyboard = MakeConnection(context.options, SelectorFrom(context.config),
                                       context.dataDir, context.console);
  if (!keyboard) {
    return kExitUsage;
  }
  const keymap::KeyMap& map = keyboard->KeyMap();
  const std::optional<int> mode = map.LedMode();
  if (mode && map.Lighting(*mode)) {
    context.output.Lighting(mode, map.Lighting(*mode), {});
    return kExitOk;
  }
  std::string reason =
      "the key map does not know the lighting last sent: none was sent through keyloomctl or "
      "the window since it began, or the last one may not have arrived; 'keyloomctl light MODE' "
      "sends one";
  if (const auto& problem = keyboard->KeyMapProblem()) {
    reason =
        "the key map of what the keyboard holds could not be read (" + Printable(*problem) + ")";
  }
  context.output.Lighting(std::nullopt, std::nullopt, reason);
  return kExitOk;
}

// Tells the user what an assignment or removal of `key` came to; true when it was done.
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
  }
  return false;
}

struct Applied {
  int status = kExitOk;
  int profile = 1;       // 1-3
  std::size_t slot = 0;  // of the half the record went into
};

// Gives `key` the content as the main window does after the dialog's OK: the profile (the
// requested one, else the active one) selected and its slots read, the content's record
// assigned, and the slot read that ends the assignment checked, the keyboard's own word, for the
// key in the half it should be in: a macro slot for a macro or a chord, else a remap slot.
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

int RemapKey(Context& context, std::uint8_t key, std::uint8_t target, std::optional<int> profile) {
  const keymap::BuiltContent built = keymap::SingleKeyContent(target);
  const Applied applied =
      ApplyToKey(context, profile, key, built.content.value_or(keymap::KeyContent{}));
  if (applied.status == kExitOk) {
    context.output.Remapped(applied.profile, key, target, applied.slot);
  }
  return applied.status;
}

int AssignMediaKey(Context& context, std::uint8_t key, const std::string& name,
                   std::optional<int> profile) {
  const auto& catalogue = context.config.mediaKeys;
  const auto entry = FindCatalogueEntryOrComplain(context, catalogue, name, "media key");
  if (!entry) {
    return kExitUsage;
  }
  const std::string& entryName = catalogue[static_cast<std::size_t>(*entry)].name;
  const keymap::BuiltContent built = keymap::MediaKeyContent(catalogue, *entry);
  if (!built.content) {
    context.console.err << "keyloomctl: the media key \"" << Printable(entryName)
                        << "\" has no key code in " << context.configFile.string() << '\n';
    return kExitUsage;
  }
  const Applied applied = ApplyToKey(context, profile, key, *built.content);
  if (applied.status == kExitOk) {
    context.output.MediaKeyAssigned(applied.profile, key, entryName, built.content->target,
                                    applied.slot);
  }
  return applied.status;
}

int AssignChord(Context& context, std::uint8_t key, const std::string& name,
                std::optional<int> profile) {
  const auto& catalogue = context.config.functionKeys;
  const auto entry = FindCatalogueEntryOrComplain(context, catalogue, name, "function key");
  if (!entry) {
    return kExitUsage;
  }
  const std::string& entryName = catalogue[static_cast<std::size_t>(*entry)].name;
  const keymap::BuiltContent built = keymap::ChordContent(catalogue, *entry);
  if (!built.content) {
    context.console.err << "keyloomctl: the function key \"" << entryName
                        << "\" has no key codes in " << context.configFile.string() << '\n';
    return kExitUsage;
  }
  if (built.shortened) {
    context.console.err << "keyloomctl: warning: the chord \"" << Printable(entryName) << "\" has "
                        << built.available << " codes but a key holds at most "
                        << keymap::kMaxChordCodes << ": its first " << built.used << " are used\n";
  }
  const Applied applied = ApplyToKey(context, profile, key, *built.content);
  if (applied.status == kExitOk) {
    context.output.MacroAssigned(applied.profile, key, "chord", entryName,
                                 built.content->events.size(), built.content->repeat, applied.slot);
  }
  return applied.status;
}

int AssignMacro(Context& context, std::uint8_t key, const std::string& group,
                std::optional<int> repeat, std::optional<int> profile) {
  const auto library = OpenMacroLibrary(context);
  const auto index = FindGroupOrComplain(context, *library, group);
  if (!index) {
    return kExitUsage;
  }
  macro::AssignmentStore store = OpenAssignmentStore(context);
  if (repeat) {
    // As the dialog keeps what the user types into its repeat field.
    store.repeat = *repeat;
    if (const auto saved = store.Save(); !saved.ok()) {
      context.console.err << "keyloomctl: " << saved.error() << '\n';
      return kExitNotDone;
    }
  }
  const keymap::BuiltContent built = keymap::MacroContent(library->GroupAt(*index), store.repeat);
  const keymap::KeyContent& content = *built.content;
  if (content.repeat == 0) {
    context.console.err << "keyloomctl: the repeat count " << store.repeat << " of "
                        << store.path().string()
                        << " gives the keyboard 0 (it keeps the count modulo 256), which would "
                           "remap the key to itself; give --repeat 1-255\n";
    return kExitUsage;
  }
  if (built.shortened) {
    context.console.err << "keyloomctl: warning: the macro \"" << Printable(content.name)
                        << "\" has " << built.available << " events but a key holds at most "
                        << protocol::KeyAssignmentRecord::kMaxEvents << ": its first " << built.used
                        << " are used, followed by the releases of the keys still held down\n";
  }
  if (content.events.empty()) {
    context.console.err << "keyloomctl: warning: the macro \"" << Printable(content.name)
                        << "\" has no events: " << protocol::UsageName(key)
                        << " will do nothing when pressed\n";
  }
  const Applied applied = ApplyToKey(context, profile, key, content);
  if (applied.status == kExitOk) {
    context.output.MacroAssigned(applied.profile, key, "macro", content.name, content.events.size(),
                                 content.repeat, applied.slot);
  }
  return applied.status;
}

}  // namespace

std::string LightingParameterOptions(const protocol::EffectParameters& parameters) {
  std::string options;
  auto add = [&options](bool used, const char* name) {
    if (used) {
      options += options.empty() ? name : std::string(" ") + name;
    }
  };
  add(parameters.brightness, "--brightness");
  add(parameters.speed, "--speed");
  add(parameters.colour, "--colour");
  add(parameters.direction, "--direction");
  add(parameters.areas, "--areas");
  return options;
}

int AreaColourNumber(protocol::LightingColour colour) {
  return colour - 1;
}

int RunDevices(Context& context, bool all) {
  const auto keyboard = MakeConnection(context.options, SelectorFrom(context.config),
                                       context.dataDir, context.console);
  if (!keyboard) {
    return kExitUsage;
  }
  const hid::DeviceSelector selector =
      all ? hid::DeviceSelector{0, 0, -1, -1} : SelectorFrom(context.config);
  const auto interfaces = keyboard->Backend().FindInterfaces(selector, keyboard->Diagnostics());
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
  context.output.Config(context.config, {context.configFile, context.configLoaded},
                        {context.userConfigFile, context.userConfigLoaded});
  return kExitOk;
}

int RunProfile(Context& context, int profile) {
  return RunSlots(context, profile);
}

int RunSlots(Context& context, std::optional<int> profile) {
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
  const ActiveProfile active = FindActiveProfile(*keyboard);
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
  context.output.Slots(active.profile, active.unknownReason, assignments,
                       libraryRead ? &library : nullptr);
  return simulatorFailed ? kExitNotDone : kExitOk;
}

int RunLight(Context& context, const LightArguments& a) {
  if (!a.mode) {
    return ShowLighting(context, a);
  }
  const std::optional<int> mode = protocol::LedModeFromName(*a.mode);
  if (!mode) {
    context.console.err << "keyloomctl: MODE \"" << Printable(*a.mode)
                        << "\" is no effect: give 0-9, an effect's name or its identifier:";
    for (const protocol::LightingEffect& effect : protocol::kLightingEffects) {
      context.console.err << (&effect == protocol::kLightingEffects.data() ? " " : ", ")
                          << effect.identifier;
    }
    context.console.err << " ('keyloomctl light --help' lists them)\n";
    return kExitUsage;
  }
  const auto& effect = protocol::kLightingEffects[static_cast<std::size_t>(*mode)];
  if (const std::string unused = UnusedParameters(a, effect.parameters); !unused.empty()) {
    context.console.err << "keyloomctl: the effect " << effect.identifier << " (LED mode " << *mode
                        << ") does not use " << unused << "; it uses "
                        << LightingParameterOptions(effect.parameters) << '\n';
    return kExitUsage;
  }
  std::optional<std::array<protocol::LightingColour, protocol::kLightingAreaCount>> areas;
  if (a.areas) {
    areas = ParseAreas(*a.areas);
    if (!areas) {
      context.console.err << "keyloomctl: --areas takes six area colours separated by commas, "
                             "each 0-6 or none, such as 0,1,2,none,4,5\n";
      return kExitUsage;
    }
  }

  // Start from the mode's defaults and change only what the user gave, so that the parameters
  // left out keep their defaults. --colour 0-7 is the palette's colour, 0 none of them.
  protocol::LightingTable table;
  auto parameters = protocol::LightingParameters::Decode(*mode, table[*mode]);
  parameters.brightness = a.brightness.value_or(parameters.brightness);
  parameters.speed = a.speed.value_or(parameters.speed);
  parameters.colour = a.colour.value_or(parameters.colour);
  if (a.direction) {
    // The option takes "left" and "right" in any case, as it was given.
    parameters.direction = settings::EqualIgnoringAsciiCase(*a.direction, "right")
                               ? protocol::LightingDirection::kRight
                               : protocol::LightingDirection::kLeft;
  }
  parameters.areas = areas.value_or(parameters.areas);
  table[*mode] = parameters.Encode(table[*mode]);

  auto [keyboard, failure] = OpenKeyboard(context);
  if (!keyboard) {
    return failure;
  }
  const protocol::Transfers sent = keyboard->SendLighting(*mode, table[*mode]);
  const bool simulatorFailed = ReportFileTrouble(*keyboard, context.console);
  if (!sent.ok()) {
    context.console.err << "keyloomctl: the keyboard did not take the lighting ("
                        << DescribeFailure(sent) << ")\n";
  }
  if (!sent.ok() || simulatorFailed) {
    return kExitNotDone;
  }
  context.output.Lighting(*mode, table[*mode], {});
  return kExitOk;
}

int RunRemap(Context& context, const std::string& keyText, const std::string& targetText,
             std::optional<int> profile) {
  const auto key = KeyOrComplain(context, keyText, "KEY");
  const auto target = KeyOrComplain(context, targetText, "TARGET");
  if (!key || !target) {
    return kExitUsage;
  }
  return RemapKey(context, *key, *target, profile);
}

int RunClear(Context& context, const std::string& keyText, std::optional<int> requested) {
  const auto key = KeyOrComplain(context, keyText, "KEY");
  if (!key) {
    return kExitUsage;
  }
  auto [keyboard, failure] = OpenKeyboard(context);
  if (!keyboard) {
    return failure;
  }
  const int profile = ProfileToChange(context, *keyboard, requested);
  const auto result = keyboard->Delete(profile - 1, profile - 1, OneKey(*key));
  const bool simulatorFailed = ReportFileTrouble(*keyboard, context.console);
  const auto half = result.half.value_or(protocol::KeySlotTable::Half::kMacro);
  if (!ReportAssignment(context, result, profile, *key, half, "removal") || simulatorFailed) {
    return kExitNotDone;
  }
  context.output.Cleared(profile, *key, result.half);
  return kExitOk;
}

int RunFactoryReset(Context& context, bool confirmed) {
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
  context.output.FactoryRestored();
  return kExitOk;
}

int RunAssign(Context& context, const AssignArguments& a) {
  const int choices = int{a.macro.has_value()} + int{a.media.has_value()} +
                      int{a.chord.has_value()} + int{a.target.has_value()};
  if (choices != 1) {
    context.console.err << "keyloomctl: assign takes exactly one of --macro, --media, --chord "
                           "and --key\n";
    return kExitUsage;
  }
  const auto key = KeyOrComplain(context, a.key, "KEY");
  if (!key) {
    return kExitUsage;
  }
  if (a.target) {
    const auto target = KeyOrComplain(context, *a.target, "TARGET");
    return target ? RemapKey(context, *key, *target, a.profile) : kExitUsage;
  }
  if (a.media) {
    return AssignMediaKey(context, *key, *a.media, a.profile);
  }
  if (a.chord) {
    return AssignChord(context, *key, *a.chord, a.profile);
  }
  return AssignMacro(context, *key, *a.macro, a.repeat, a.profile);
}

}  // namespace keyloom::cli

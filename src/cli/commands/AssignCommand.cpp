#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "cli/CommandSupport.h"
#include "cli/Output.h"
#include "cli/UserData.h"
#include "cli/commands/Commands.h"
#include "cli/commands/KeyChange.h"
#include "keymap/ContentBuilder.h"
#include "macro/AssignmentStore.h"
#include "macro/MacroLibrary.h"
#include "protocol/KeyAssignmentRecord.h"
#include "protocol/KeyNameTable.h"

namespace keyloom::cli {

namespace {

// What `assign` gives the key: exactly one of the four choices.
struct AssignArguments {
  std::string key;
  std::optional<std::string> macro;   // a group of the macro library, by name or #N
  std::optional<int> repeat;          // with a macro: the repeat count to keep in the store
  std::optional<std::string> media;   // an entry of the configuration's media keys
  std::optional<std::string> chord;   // an entry of the configuration's function keys
  std::optional<std::string> target;  // a single key
  std::optional<int> profile;         // 1-3; none: the active one
};

// A media key assigned as the key's remap: the catalogue entry and the code it sends.
void PrintMediaKeyAssigned(Context& context, int profile, std::uint8_t key, std::string_view entry,
                           std::uint8_t code, std::size_t remapSlot) {
  if (context.options.json) {
    PrintJson(context.console.out, {{"profile", profile},
                                    {"key", protocol::UsageName(key)},
                                    {"keyCode", key},
                                    {"media", std::string(entry)},
                                    {"targetCode", code},
                                    {"remapSlot", remapSlot + 1}});
    return;
  }
  context.console.out << protocol::UsageName(key) << " now sends the media key \""
                      << Printable(entry) << "\" (" << Hex(code, 2) << ") on profile " << profile
                      << " (remap slot " << remapSlot + 1 << ").\n";
}

// A macro record downloaded into the key's macro slot (0-11): `kind` is "macro" or "chord",
// `name` the group's or the catalogue entry's.
void PrintMacroAssigned(Context& context, int profile, std::uint8_t key, std::string_view kind,
                        std::string_view name, std::size_t events, std::uint8_t repeat,
                        std::size_t macroSlot) {
  if (context.options.json) {
    PrintJson(context.console.out, {{"profile", profile},
                                    {"key", protocol::UsageName(key)},
                                    {"keyCode", key},
                                    {std::string(kind), std::string(name)},
                                    {"events", events},
                                    {"repeat", repeat},
                                    {"macroSlot", macroSlot + 1}});
    return;
  }
  context.console.out << protocol::UsageName(key) << " now plays the " << kind << " \""
                      << Printable(name) << "\" (" << EventCount(events) << ", "
                      << (repeat == 1 ? std::string("once") : std::to_string(repeat) + " times")
                      << ") on profile " << profile << " (macro slot " << macroSlot + 1 << ").\n";
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
    PrintMediaKeyAssigned(context, applied.profile, key, entryName, built.content->target,
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
    PrintMacroAssigned(context, applied.profile, key, "chord", entryName,
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
    PrintMacroAssigned(context, applied.profile, key, "macro", content.name, content.events.size(),
                       content.repeat, applied.slot);
  }
  return applied.status;
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

}  // namespace

void DefineAssign(CLI::App& app, ChosenCommand& chosen) {
  auto* assign = app.add_subcommand(
      "assign", "Give KEY a macro of the library, a media key, a function-key chord or a key");
  AssignArguments& args = Runs(*assign, chosen, &RunAssign);
  assign->add_option("KEY", args.key, "The physical key")->required();
  auto* macro = assign->add_option("--macro", args.macro,
                                   "A group of the macro library, by name or as #N (from 0)");
  macro->type_name("GROUP");
  assign
      ->add_option("--repeat", args.repeat,
                   "With --macro: play it N times (1-255); kept for later assignments")
      ->type_name("N")
      ->check(CLI::Range(1, 255))
      ->needs(macro);
  assign->add_option("--media", args.media, "A media key of the configuration, by name")
      ->type_name("NAME");
  assign->add_option("--chord", args.chord, "A function key of the configuration, by name")
      ->type_name("NAME");
  assign->add_option("--key", args.target, "The key it sends instead")->type_name("TARGET");
  assign->add_option("--profile", args.profile, kKeyProfileHelp)
      ->type_name("N")
      ->check(CLI::Range(1, 3));
}

}  // namespace keyloom::cli

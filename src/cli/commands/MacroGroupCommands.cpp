#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/Output.h"
#include "cli/UserData.h"
#include "cli/commands/MacroCommands.h"
#include "macro/MacroLibrary.h"

namespace keyloom::cli {

namespace {

struct MacrosAddArguments {
  std::string name;
  // Key events for the group: `events` words that ParseEventText reads (joined by blanks), or
  // `text` to type (EventsTypingText); `delay` is the delay of the events that give none.
  std::vector<std::string> events;
  std::optional<std::string> text;
  std::int32_t delay = 10;
};

struct MacrosRenameArguments {
  std::string group;
  std::string name;
};

struct MacrosDeleteArguments {
  std::string group;
};

// A name that group #`holder` of the library has already.
int ComplainNameTaken(Context& context, const macro::MacroLibrary& library, std::string_view name,
                      int holder) {
  context.console.err << "keyloomctl: the macro group #" << holder << " of "
                      << library.path().string() << " is named \"" << Printable(name)
                      << "\" already; give the group another name\n";
  return kExitUsage;
}

constexpr const char* kEventsHelp =
    "Events separated by commas, each KEY [down|up] [DELAY]: a key name (quoted when it has "
    "blanks) or code, down or up (neither: both), the ms after it";

int RunMacrosAdd(Context& context, const MacrosAddArguments& a) {
  const std::string& name = a.name;
  if (name.empty()) {
    context.console.err << "keyloomctl: a macro group needs a name\n";
    return kExitUsage;
  }
  std::vector<EventText> events;
  if (!a.events.empty() || a.text) {
    const auto parsed = EventsOrComplain(context, a.events, a.text);
    if (!parsed) {
      return kExitUsage;
    }
    events = *parsed;
  }
  const auto library = OpenMacroLibrary(context);
  // The group and its events are one change of the file.
  int index = -1;
  std::optional<int> holder;
  const auto added = library->Update([&](macro::MacroLibrary& current) {
    holder = current.GroupNamed(name);
    if (holder) {
      return false;
    }
    macro::MacroNode* group = current.root().InsertChild(
        macro::MacroNode::kLast, {{std::string(macro::kNameAttribute), name}});
    for (const EventText& event : events) {
      group->InsertChild(macro::MacroNode::kLast, EventAttributes(event, a.delay));
    }
    index = current.GroupCount() - 1;
    return true;
  });
  TellOpenReport(context, added.reread);
  if (holder) {
    return ComplainNameTaken(context, *library, name, *holder);
  }
  if (!added.saved.ok()) {
    return SaveFailed(context, added.saved);
  }
  if (context.options.json) {
    PrintJson(context.console.out, {{"added", name}, {"index", index}, {"events", events.size()}});
  } else {
    context.console.out << "Added the group \"" << Printable(name) << "\" as #" << index << " with "
                        << EventCount(events.size()) << ".\n";
  }
  return kExitOk;
}

int RunMacrosRename(Context& context, const MacrosRenameArguments& a) {
  const std::string& group = a.group;
  const std::string& name = a.name;
  if (name.empty()) {
    context.console.err << "keyloomctl: a macro group needs a name\n";
    return kExitUsage;
  }
  const auto library = OpenMacroLibrary(context);
  std::optional<int> index;
  std::optional<int> holder;
  std::string old;
  const auto renamed = library->Update([&](macro::MacroLibrary& current) {
    index = FindGroup(current, group);
    if (!index) {
      return false;
    }
    holder = current.GroupNamed(name);
    if (holder == index) {
      holder.reset();
    }
    if (holder) {
      return false;
    }
    macro::MacroNode* node = current.GroupAt(*index);
    old = node->Attribute(macro::kNameAttribute).value_or("");
    node->SetAttribute(macro::kNameAttribute, name);
    return old != name;
  });
  TellOpenReport(context, renamed.reread);
  if (!index) {
    ComplainNoGroup(context, *library, group);
    return kExitUsage;
  }
  if (holder) {
    return ComplainNameTaken(context, *library, name, *holder);
  }
  if (!renamed.saved.ok()) {
    return SaveFailed(context, renamed.saved);
  }
  if (context.options.json) {
    PrintJson(context.console.out, {{"renamed", old}, {"name", name}, {"index", *index}});
  } else {
    context.console.out << "Renamed the group #" << *index << " \"" << Printable(old) << "\" to \""
                        << Printable(name) << "\".\n";
  }
  return kExitOk;
}

int RunMacrosDelete(Context& context, const MacrosDeleteArguments& a) {
  const std::string& group = a.group;
  const auto library = OpenMacroLibrary(context);
  // The group is looked for in the library as the file holds it when the change is made, not as
  // it was read before: another program may have changed it in between.
  std::optional<int> index;
  std::string name;
  const auto removed = library->Update([&](macro::MacroLibrary& current) {
    index = FindGroup(current, group);
    if (!index) {
      return false;
    }
    name = current.GroupAt(*index)->Attribute(macro::kNameAttribute).value_or("");
    return current.root().RemoveChild(*index);
  });
  TellOpenReport(context, removed.reread);
  if (!index) {
    ComplainNoGroup(context, *library, group);
    return kExitUsage;
  }
  if (!removed.saved.ok()) {
    return SaveFailed(context, removed.saved);
  }
  if (context.options.json) {
    PrintJson(context.console.out, {{"deleted", name}, {"index", *index}});
  } else {
    context.console.out << "Deleted the group #" << *index << " \"" << Printable(name) << "\".\n";
  }
  return kExitOk;
}

}  // namespace

void DefineMacrosAdd(CLI::App& macros, ChosenCommand& chosen) {
  auto* add = macros.add_subcommand(
      "add", "Add a group named NAME with the events given, or the keys that type --text");
  MacrosAddArguments& a = Runs(*add, chosen, &RunMacrosAdd, kMacroCommandNeeds);
  add->add_option("NAME", a.name, "The group's name")->required();
  add->add_option("EVENTS", a.events, kEventsHelp);
  add->add_option("--text", a.text,
                  "Type TEXT: its characters as key events, with Shift where a US layout needs "
                  "it")
      ->type_name("TEXT");
  add->add_option("--delay", a.delay, kDelayHelp)
      ->type_name("MS")
      ->check(CLI::Range(0, kMaxEventDelay));
}

void DefineMacrosRename(CLI::App& macros, ChosenCommand& chosen) {
  auto* rename = macros.add_subcommand("rename", "Give GROUP the name NEW");
  MacrosRenameArguments& a = Runs(*rename, chosen, &RunMacrosRename, kMacroCommandNeeds);
  rename->add_option("GROUP", a.group, "By name, or as #N (from 0)")->required();
  rename->add_option("NEW", a.name, "The new name")->required();
}

void DefineMacrosDelete(CLI::App& macros, ChosenCommand& chosen) {
  auto* remove = macros.add_subcommand("delete", "Delete GROUP with its events");
  MacrosDeleteArguments& a = Runs(*remove, chosen, &RunMacrosDelete, kMacroCommandNeeds);
  remove->add_option("GROUP", a.group, "By name, or as #N (from 0)")->required();
}

}  // namespace keyloom::cli

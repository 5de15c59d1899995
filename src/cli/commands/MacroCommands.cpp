#include "cli/commands/MacroCommands.h"

#include <cstdio>
#include <ostream>

#include <CLI/CLI.hpp>

#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "macro/MacroEventList.h"
#include "macro/MacroLibrary.h"
#include "protocol/KeyNameTable.h"

namespace keyloom::cli {

std::string AttributeText(const macro::MacroNode& node, std::string_view attribute) {
  return node.Attribute(attribute).value_or("");
}

int SaveFailed(Context& context, const storage::FileResult& saved) {
  context.console.err << "keyloomctl: " << Printable(saved.error()) << '\n';
  return kExitNotDone;
}

std::optional<std::vector<EventText>> EventsOrComplain(Context& context,
                                                       const std::vector<std::string>& words,
                                                       const std::optional<std::string>& text) {
  std::string joined;
  for (const std::string& word : words) {
    joined += (joined.empty() ? "" : " ") + word;
  }
  if (text && !words.empty()) {
    context.console.err << "keyloomctl: give the events or --text, not both\n";
    return std::nullopt;
  }
  const ParsedEvents parsed = text ? EventsTypingText(*text) : ParseEventText(joined);
  if (!parsed.error.empty()) {
    context.console.err << "keyloomctl: " << (text ? "--text: " : "") << parsed.error
                        << "; the library is unchanged\n";
    return std::nullopt;
  }
  return parsed.events;
}

macro::MacroAttributes EventAttributes(const EventText& event, std::int32_t delay) {
  return {{std::string(macro::kCodeAttribute), std::to_string(event.code)},
          {std::string(macro::kNameAttribute),
           std::string(protocol::NameFromUsage(event.code).value_or(""))},
          {std::string(macro::kStateAttribute), event.released ? "1" : "0"},
          {std::string(macro::kDelayAttribute), std::to_string(event.delay.value_or(delay))}};
}

void PrintMacroGroup(Context& context, int index, const macro::MacroNode& group) {
  const std::string name = AttributeText(group, macro::kNameAttribute);
  std::ostream& out = context.console.out;
  if (context.options.json) {
    Json events = Json::array();
    for (int i = 0; i < group.ChildCount(); ++i) {
      const macro::MacroNode& event = *group.ChildAt(i);
      events.push_back({{"code", AttributeText(event, macro::kCodeAttribute)},
                        {"name", AttributeText(event, macro::kNameAttribute)},
                        {"state", AttributeText(event, macro::kStateAttribute)},
                        {"delay", AttributeText(event, macro::kDelayAttribute)}});
    }
    PrintJson(out, {{"index", index}, {"name", name}, {"events", events}});
    return;
  }
  out << '#' << index << "  \"" << Printable(name) << "\"  ("
      << EventCount(static_cast<std::size_t>(group.ChildCount())) << ")\n";
  for (int i = 0; i < group.ChildCount(); ++i) {
    const macro::MacroNode& event = *group.ChildAt(i);
    char line[64];
    std::snprintf(line, sizeof line, "%4d  code %-4s %-9s delay ", i,
                  Printable(AttributeText(event, macro::kCodeAttribute)).c_str(),
                  std::string(macro::MacroEventList::StateText(event)).c_str());
    out << line << Printable(AttributeText(event, macro::kDelayAttribute)) << "  "
        << Printable(AttributeText(event, macro::kNameAttribute)) << '\n';
  }
}

void DefineMacros(CLI::App& app, ChosenCommand& chosen) {
  auto* macros = app.add_subcommand("macros",
                                    "List, show, import, export, add, rename, edit and "
                                    "delete the groups of the macro library (macro.xml)");
  macros->require_subcommand(1);
  for (const CommandDefinition define : kMacroCommands) {
    define(*macros, chosen);
  }
}

}  // namespace keyloom::cli

#include <algorithm>
#include <cstddef>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include <CLI/CLI.hpp>

#include "autoprofile/AutoProfileFile.h"
#include "autoprofile/FocusWatcher.h"
#include "cli/Output.h"
#include "cli/UserData.h"
#include "cli/commands/Commands.h"
#include "settings/AppPaths.h"

namespace keyloom::cli {

namespace {

// `keyloomctl auto-profile list|add|remove|default|on|off`: the rules of profiles that follow
// the application ("autoprofile.xml" in the data folder), which keyloom applies while it runs.
struct AutoProfileArguments {
  enum class Action { kList, kAdd, kRemove, kDefault, kOn, kOff };
  Action action = Action::kList;
  std::optional<std::string> windowClass;
  std::optional<std::string> executable;
  int profile = 1;
  std::optional<std::size_t> position;  // 1-based, for add
  std::size_t rule = 0;                 // 1-based, for remove
  std::string defaultProfile;           // "1"-"3" or "none"
};

using Action = AutoProfileArguments::Action;
constexpr const char* kNoDefault = "none";

Json RuleJson(std::size_t number, const autoprofile::AppRule& rule) {
  const auto text = [](const std::string& value) {
    return value.empty() ? Json(nullptr) : Json(value);
  };
  return {{"rule", number},
          {"class", text(rule.windowClass)},
          {"exe", text(rule.executable)},
          {"profile", rule.profile}};
}

void PrintRules(Context& context, const autoprofile::AutoProfileFile& file) {
  const autoprofile::AutoProfileRules& rules = file.rules();
  std::ostream& out = context.console.out;
  if (context.options.json) {
    Json list = Json::array();
    for (std::size_t i = 0; i < rules.rules.size(); ++i) {
      list.push_back(RuleJson(i + 1, rules.rules[i]));
    }
    PrintJson(out, {{"file", file.path().string()},
                    {"enabled", rules.enabled},
                    {"default", rules.defaultProfile ? Json(*rules.defaultProfile) : Json(nullptr)},
                    {"rules", list}});
    return;
  }
  out << "Switching: " << (rules.enabled ? "on" : "off") << '\n';
  out << "Other applications: "
      << (rules.defaultProfile ? "profile " + std::to_string(*rules.defaultProfile)
                               : std::string("profile left as it is"))
      << '\n';
  out << "Rules (" << rules.rules.size() << ")"
      << (rules.rules.empty() ? "\n" : ", the first that matches counts:\n");
  for (std::size_t i = 0; i < rules.rules.size(); ++i) {
    const autoprofile::AppRule& rule = rules.rules[i];
    out << "  " << i + 1 << "  ";
    if (!rule.windowClass.empty()) {
      out << "class \"" << Printable(rule.windowClass) << "\" ";
    }
    if (!rule.executable.empty()) {
      out << "exe \"" << Printable(rule.executable) << "\" ";
    }
    out << "-> profile " << rule.profile << '\n';
  }
}

// Keyloom can only follow the focus where a watcher opens; the user hears it when turning
// switching on.
void WarnWhereNotAvailable(Context& context) {
  const autoprofile::FocusWatch watch =
      autoprofile::OpenFocusWatcher(autoprofile::FocusEnvironment::OfProcess());
  if (watch.limit) {
    context.console.err << "keyloomctl: warning: " << autoprofile::FocusWatchLimitText(*watch.limit)
                        << '\n';
  }
}

// The change the action makes, or none when the arguments name no change (a bad rule number
// reported as such).
autoprofile::AutoProfileFile::Change ChangeOf(const AutoProfileArguments& arguments,
                                              bool& ruleFound) {
  switch (arguments.action) {
    case Action::kAdd:
      return [&arguments](autoprofile::AutoProfileRules& rules) {
        const std::size_t position =
            arguments.position ? *arguments.position - 1 : rules.rules.size();
        return rules.Insert(position, {arguments.windowClass.value_or(""),
                                       arguments.executable.value_or(""), arguments.profile});
      };
    case Action::kRemove:
      return [&arguments, &ruleFound](autoprofile::AutoProfileRules& rules) {
        ruleFound = arguments.rule >= 1 && arguments.rule <= rules.rules.size();
        return ruleFound && rules.Remove(arguments.rule - 1);
      };
    case Action::kDefault:
      return [&arguments](autoprofile::AutoProfileRules& rules) {
        return rules.SetDefault(arguments.defaultProfile == kNoDefault
                                    ? std::nullopt
                                    : std::optional<int>(std::stoi(arguments.defaultProfile)));
      };
    case Action::kOn:
    case Action::kOff:
      return [on = arguments.action == Action::kOn](autoprofile::AutoProfileRules& rules) {
        return rules.SetEnabled(on);
      };
    case Action::kList:
      break;
  }
  return {};
}

int RunAutoProfile(Context& context, const AutoProfileArguments& arguments) {
  std::error_code ignored;
  std::filesystem::create_directories(context.dataDir, ignored);
  autoprofile::AutoProfileFile file(context.dataDir /
                                    settings::PathFromUtf8(autoprofile::kAutoProfileFileName));
  auto& err = context.console.err;
  if (arguments.action == Action::kAdd && arguments.windowClass.value_or("").empty() &&
      arguments.executable.value_or("").empty()) {
    err << "keyloomctl: a rule needs a window class (--class) or a program (--exe), or both\n";
    return kExitUsage;
  }
  if (arguments.action == Action::kList) {
    TellOpenReport(context, file.Refresh().file);
    PrintRules(context, file);
    return kExitOk;
  }
  bool ruleFound = true;
  const autoprofile::AutoProfileFile::UpdateResult updated =
      file.Update(ChangeOf(arguments, ruleFound));
  TellOpenReport(context, updated.reread.file);
  if (!ruleFound) {
    err << "keyloomctl: there is no rule " << arguments.rule << " among the "
        << file.rules().rules.size() << " rule(s) of " << file.path().string()
        << " ('keyloomctl auto-profile list' shows them)\n";
    return kExitUsage;
  }
  if (!updated.saved.ok()) {
    err << "keyloomctl: " << Printable(updated.saved.error()) << "; nothing was changed\n";
    return kExitNotDone;
  }
  if (arguments.action == Action::kOn) {
    WarnWhereNotAvailable(context);
  }
  PrintRules(context, file);
  if (!file.rules().enabled && arguments.action != Action::kOff) {
    err << "keyloomctl: note: switching is off; 'keyloomctl auto-profile on' turns it on\n";
  }
  return kExitOk;
}

// A rule's number or position as the list counts them, from 1; `refusal` tells the user what
// else was given. Checked on the text: as a std::size_t "-1" would read as the largest one.
CLI::Validator CountedFromOne(std::string refusal) {
  return {[refusal = std::move(refusal)](const std::string& text) -> std::string {
            const bool digits = !text.empty() && std::ranges::all_of(text, [](char c) {
              return c >= '0' && c <= '9';
            });
            if (digits && text.find_first_not_of('0') != std::string::npos) {
              return {};
            }
            return '"' + text + "\" is not " + refusal;
          },
          ""};
}

// Makes `action` of auto-profile run with `arguments` when the arguments name it.
void Choose(CLI::App& action, ChosenCommand& chosen,
            const std::shared_ptr<AutoProfileArguments>& arguments, Action which) {
  Runs(action, chosen,
       [arguments, which](Context& context) {
         arguments->action = which;
         return RunAutoProfile(context, *arguments);
       },
       {.configuration = false});
}

void DefineAction(CLI::App& command, const char* name, const char* description,
                  ChosenCommand& chosen, const std::shared_ptr<AutoProfileArguments>& arguments,
                  Action action) {
  Choose(*command.add_subcommand(name, description), chosen, arguments, action);
}

}  // namespace

void DefineAutoProfile(CLI::App& app, ChosenCommand& chosen) {
  auto* command = app.add_subcommand(
      "auto-profile",
      "The rules by which keyloom switches the profile when another application gets the focus "
      "(autoprofile.xml)");
  command->require_subcommand(1);
  const auto shared = std::make_shared<AutoProfileArguments>();
  AutoProfileArguments& arguments = *shared;

  DefineAction(*command, "list", "Show the rules, the default and whether switching is on", chosen,
               shared, Action::kList);

  auto* add = command->add_subcommand(
      "add",
      "Add a rule: windows of CLASS (WM_CLASS instance or class) and/or of program EXE "
      "get profile N");
  add->add_option("--class", arguments.windowClass, "The window's WM_CLASS instance or class")
      ->type_name("CLASS");
  add->add_option("--exe", arguments.executable, "The file name of the window's program")
      ->type_name("EXE");
  add->add_option("--profile", arguments.profile, "Profile 1-3")
      ->type_name("N")
      ->required()
      ->check(CLI::Range(1, 3));
  add->add_option("--at", arguments.position, "Insert as rule POS (from 1; default: last)")
      ->type_name("POS")
      ->check(CountedFromOne("a rule position: 1 puts the rule first, and a position past the "
                             "last rule puts it last"));
  Choose(*add, chosen, shared, Action::kAdd);

  auto* remove = command->add_subcommand("remove", "Remove rule N, numbered as list shows it");
  remove->add_option("N", arguments.rule, "The rule's number (from 1)")
      ->required()
      ->check(CountedFromOne("a rule number: rules are numbered from 1, as 'keyloomctl "
                             "auto-profile list' shows them"));
  Choose(*remove, chosen, shared, Action::kRemove);

  auto* defaults = command->add_subcommand(
      "default", "The profile of every application no rule matches, or none to leave it as it is");
  defaults->add_option("N", arguments.defaultProfile, "1-3 or none")
      ->required()
      ->check(CLI::IsMember({"1", "2", "3", kNoDefault}));
  Choose(*defaults, chosen, shared, Action::kDefault);

  DefineAction(*command, "on", "Switch profiles by the rules while keyloom runs", chosen, shared,
               Action::kOn);
  DefineAction(*command, "off", "Leave the profile alone", chosen, shared, Action::kOff);
}

}  // namespace keyloom::cli

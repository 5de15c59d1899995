#include <charconv>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/UserData.h"
#include "cli/commands/MacroCommands.h"
#include "macro/MacroLibrary.h"

namespace keyloom::cli {

namespace {

// One change of a group's events: exactly one of these. Event indices count from 0, as
// `macros show` shows them.
struct MacroEditArguments {
  std::optional<std::string> append;  // events
  std::vector<std::string> insert;    // INDEX EVENTS: before the event at INDEX (the count: last)
  std::optional<int> remove;          // INDEX
  std::vector<int> move;              // FROM TO
  std::vector<std::string> setDelay;  // INDEX MS
  std::int32_t delay = 10;            // of the events that give none
};

struct MacrosEditArguments {
  std::string group;
  MacroEditArguments edit;
};

std::optional<int> IndexOf(std::string_view text) {
  int value = -1;
  const char* end = text.data() + text.size();
  const auto [ptr, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || ptr != end || value < 0) {
    return std::nullopt;
  }
  return value;
}

// One edit of a group's events: the events it inserts are parsed before the library is touched;
// the indices are checked against the group as the file holds it when the change is made.
class GroupEdit {
 public:
  GroupEdit(Context& context, const MacroEditArguments& edit) : context_(context), edit_(edit) {}

  // Reads what the edit inserts; false, the user told, when that cannot be done.
  bool Prepare() {
    const int operations = int{edit_.append.has_value()} + int{!edit_.insert.empty()} +
                           int{edit_.remove.has_value()} + int{!edit_.move.empty()} +
                           int{!edit_.setDelay.empty()};
    if (operations != 1) {
      context_.console.err << "keyloomctl: macros edit takes one of --append, --insert, --delete, "
                              "--move and --set-delay\n";
      return false;
    }
    const std::optional<std::string> events =
        edit_.append ? edit_.append
                     : (edit_.insert.size() == 2 ? std::optional(edit_.insert[1]) : std::nullopt);
    if (events) {
      const auto parsed = EventsOrComplain(context_, {*events}, std::nullopt);
      if (!parsed) {
        return false;
      }
      inserted_ = *parsed;
    }
    if (edit_.insert.size() == 2) {
      position_ = IndexOf(edit_.insert[0]);
      if (!position_) {
        return Refuse("--insert: INDEX \"" + edit_.insert[0] + "\" is no event index");
      }
    }
    if (edit_.setDelay.size() == 2) {
      position_ = IndexOf(edit_.setDelay[0]);
      const auto delay = IndexOf(edit_.setDelay[1]);
      if (!position_ || !delay || *delay > kMaxEventDelay) {
        return Refuse("--set-delay takes an event index and a delay of 0-" +
                      std::to_string(kMaxEventDelay) + " ms");
      }
      newDelay_ = *delay;
    }
    return true;
  }

  // Makes the edit on `group`; false, with Problem() set, when an index is not one of its.
  bool Apply(macro::MacroNode& group) {
    const int count = group.ChildCount();
    if (edit_.append) {
      return Insert(group, macro::MacroNode::kLast);
    }
    if (!edit_.insert.empty()) {
      return *position_ <= count
                 ? Insert(group, *position_ == count ? macro::MacroNode::kLast : *position_)
                 : OutOfRange("--insert", *position_, count + 1);
    }
    if (edit_.remove) {
      return *edit_.remove >= 0 && *edit_.remove < count
                 ? group.RemoveChild(*edit_.remove)
                 : OutOfRange("--delete", *edit_.remove, count);
    }
    if (!edit_.move.empty()) {
      for (const int index : edit_.move) {
        if (index < 0 || index >= count) {
          return OutOfRange("--move", index, count);
        }
      }
      group.MoveChild(edit_.move[0], edit_.move[1]);
      return true;
    }
    if (*position_ >= count) {
      return OutOfRange("--set-delay", *position_, count);
    }
    group.ChildAt(*position_)->SetAttribute(macro::kDelayAttribute, std::to_string(newDelay_));
    return true;
  }

  [[nodiscard]] const std::string& Problem() const { return problem_; }

 private:
  bool Insert(macro::MacroNode& group, int position) {
    for (const EventText& event : inserted_) {
      group.InsertChild(position, EventAttributes(event, edit_.delay));
      position = position == macro::MacroNode::kLast ? position : position + 1;
    }
    return !inserted_.empty();
  }

  bool OutOfRange(const char* option, int index, int count) {
    problem_ =
        std::string(option) + ": the group has no event " + std::to_string(index) +
        (count == 0 ? " (it has none)" : " (its events are 0-" + std::to_string(count - 1) + ")");
    return false;
  }

  bool Refuse(const std::string& problem) {
    context_.console.err << "keyloomctl: " << problem << '\n';
    return false;
  }

  Context& context_;
  const MacroEditArguments& edit_;
  std::vector<EventText> inserted_;
  std::optional<int> position_;
  std::int32_t newDelay_ = 0;
  std::string problem_;
};

int RunMacrosEdit(Context& context, const MacrosEditArguments& a) {
  const std::string& group = a.group;
  GroupEdit change(context, a.edit);
  if (!change.Prepare()) {
    return kExitUsage;
  }
  const auto library = OpenMacroLibrary(context);
  std::optional<int> index;
  const auto edited = library->Update([&](macro::MacroLibrary& current) {
    index = FindGroup(current, group);
    return index && change.Apply(*current.GroupAt(*index));
  });
  TellOpenReport(context, edited.reread);
  if (!index) {
    ComplainNoGroup(context, *library, group);
    return kExitUsage;
  }
  if (!change.Problem().empty()) {
    context.console.err << "keyloomctl: " << change.Problem() << "; the library is unchanged\n";
    return kExitUsage;
  }
  if (!edited.saved.ok()) {
    return SaveFailed(context, edited.saved);
  }
  PrintMacroGroup(context, *index, *library->GroupAt(*index));
  return kExitOk;
}

}  // namespace

void DefineMacrosEdit(CLI::App& macros, ChosenCommand& chosen) {
  auto* edit = macros.add_subcommand(
      "edit", "Change the events of GROUP: append, insert, delete or move one, or set a delay");
  MacrosEditArguments& a = Runs(*edit, chosen, &RunMacrosEdit, kMacroCommandNeeds);
  MacroEditArguments& e = a.edit;
  edit->add_option("GROUP", a.group, "By name, or as #N (from 0)")->required();
  auto* append = edit->add_option("--append", e.append, "Append EVENTS")->type_name("EVENTS");
  auto* insert = edit->add_option("--insert", e.insert,
                                  "Insert EVENTS before event INDEX (from 0; the count: last)")
                     ->type_name("INDEX EVENTS")
                     ->expected(2);
  auto* remove = edit->add_option("--delete", e.remove, "Delete event INDEX")->type_name("INDEX");
  auto* move = edit->add_option("--move", e.move, "Move event FROM to position TO")
                   ->type_name("FROM TO")
                   ->expected(2);
  auto* delay = edit->add_option("--set-delay", e.setDelay, "Give event INDEX the delay MS")
                    ->type_name("INDEX MS")
                    ->expected(2);
  const std::vector<CLI::Option*> operations = {append, insert, remove, move, delay};
  for (CLI::Option* operation : operations) {
    for (CLI::Option* other : operations) {
      if (other != operation) {
        operation->excludes(other);
      }
    }
  }
  edit->add_option("--delay", e.delay, kDelayHelp)
      ->type_name("MS")
      ->check(CLI::Range(0, kMaxEventDelay));
}

}  // namespace keyloom::cli

#include <charconv>
#include <ostream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/MacroEventText.h"
#include "cli/UserData.h"
#include "protocol/KeyNameTable.h"
#include "protocol/LightingEffects.h"
#include "settings/AppPaths.h"

namespace keyloom::cli {

namespace {

constexpr std::uint8_t kApostropheUsage = 0x34;

// The library cannot be written: the user hears why, and nothing was done.
int SaveFailed(Context& context, const storage::FileResult& saved) {
  context.console.err << "keyloomctl: " << Printable(saved.error()) << '\n';
  return kExitNotDone;
}

// The events that the words on the command line give, the user told what is wrong with them.
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

// An event as the library keeps it, its texts as the recorder writes them.
macro::MacroAttributes EventAttributes(const EventText& event, std::int32_t delay) {
  return {{std::string(macro::kCodeAttribute), std::to_string(event.code)},
          {std::string(macro::kNameAttribute),
           std::string(protocol::NameFromUsage(event.code).value_or(""))},
          {std::string(macro::kStateAttribute), event.released ? "1" : "0"},
          {std::string(macro::kDelayAttribute), std::to_string(event.delay.value_or(delay))}};
}

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

}  // namespace

int RunMacrosList(Context& context) {
  const auto library = OpenMacroLibrary(context);
  context.output.MacroGroups(*library);
  return kExitOk;
}

int RunMacrosShow(Context& context, const std::string& group) {
  const auto library = OpenMacroLibrary(context);
  const auto index = FindGroupOrComplain(context, *library, group);
  if (!index) {
    return kExitUsage;
  }
  context.output.MacroGroup(*index, *library->GroupAt(*index));
  return kExitOk;
}

int RunMacrosImport(Context& context, const std::string& fileText) {
  using Status = macro::MacroLibrary::ImportResult::Status;
  const std::filesystem::path file = settings::PathFromUtf8(fileText);
  const auto library = OpenMacroLibrary(context);
  const auto imported = library->Import(file);
  auto& err = context.console.err;
  switch (imported.status) {
    case Status::kImported:
      if (!imported.leftOut.empty()) {
        err << "keyloomctl: warning: " << Printable(imported.leftOut) << '\n';
      }
      context.output.MacrosImported(file, *library, imported.previousKeptAs);
      return kExitOk;
    case Status::kRefusedName:
    case Status::kNotRead:
    case Status::kNoGroups:
      err << "keyloomctl: " << Printable(imported.error) << "; the library is unchanged\n";
      return kExitUsage;
    case Status::kNotKept:
      err << "keyloomctl: " << Printable(imported.error) << "; nothing was imported\n";
      return kExitNotDone;
    case Status::kNotSaved:
      break;
  }
  err << "keyloomctl: " << Printable(imported.error) << "; the library file is unchanged\n";
  return kExitNotDone;
}

int RunMacrosExport(Context& context, const std::string& fileText) {
  const std::filesystem::path file = settings::PathFromUtf8(fileText);
  const auto library = OpenMacroLibrary(context);
  if (const auto saved = library->Export(file); !saved.ok()) {
    context.console.err << "keyloomctl: " << Printable(saved.error()) << '\n';
    return kExitUsage;
  }
  context.output.MacrosExported(file, *library);
  return kExitOk;
}

int RunMacrosAdd(Context& context, const std::string& name, const MacroEventArguments& a) {
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
  const auto added = library->Update([&](macro::MacroLibrary& current) {
    macro::MacroNode* group = current.root().InsertChild(
        macro::MacroNode::kLast, {{std::string(macro::kNameAttribute), name}});
    for (const EventText& event : events) {
      group->InsertChild(macro::MacroNode::kLast, EventAttributes(event, a.delay));
    }
    index = current.GroupCount() - 1;
    return true;
  });
  TellOpenReport(context, added.reread);
  if (!added.saved.ok()) {
    return SaveFailed(context, added.saved);
  }
  context.output.MacroGroupAdded(index, name, events.size());
  return kExitOk;
}

int RunMacrosRename(Context& context, const std::string& group, const std::string& name) {
  if (name.empty()) {
    context.console.err << "keyloomctl: a macro group needs a name\n";
    return kExitUsage;
  }
  const auto library = OpenMacroLibrary(context);
  std::optional<int> index;
  std::string old;
  const auto renamed = library->Update([&](macro::MacroLibrary& current) {
    index = FindGroup(current, group);
    if (!index) {
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
  if (!renamed.saved.ok()) {
    return SaveFailed(context, renamed.saved);
  }
  context.output.MacroGroupRenamed(*index, old, name);
  return kExitOk;
}

int RunMacrosEdit(Context& context, const std::string& group, const MacroEditArguments& edit) {
  GroupEdit change(context, edit);
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
  context.output.MacroGroup(*index, *library->GroupAt(*index));
  return kExitOk;
}

int RunMacrosDelete(Context& context, const std::string& group) {
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
  context.output.MacroGroupDeleted(*index, name);
  return kExitOk;
}

int RunComplete(Context& context, const std::string& kind) {
  auto& out = context.console.out;
  if (kind == "keys") {
    for (const protocol::KeyNameEntry& entry : protocol::kKeyNameTable) {
      // The table's apostrophe is a typographic quote; the command line takes the plain one.
      out << (entry.usage == kApostropheUsage ? std::string_view("'") : entry.name) << '\n';
    }
  } else if (kind == "groups") {
    macro::MacroLibrary library;
    if (library.Load(context.dataDir / settings::PathFromUtf8(macro::kMacroLibraryFileName)).ok()) {
      for (int i = 0; i < library.GroupCount(); ++i) {
        out << Printable(library.GroupAt(i)->Attribute(macro::kNameAttribute).value_or("")) << '\n';
      }
    }
  } else if (kind == "effects") {
    for (const protocol::LightingEffect& effect : protocol::kLightingEffects) {
      out << effect.identifier << '\n';
    }
  } else {
    for (const auto& entry :
         kind == "media" ? context.config.mediaKeys : context.config.functionKeys) {
      out << Printable(entry.name) << '\n';
    }
  }
  return kExitOk;
}

}  // namespace keyloom::cli

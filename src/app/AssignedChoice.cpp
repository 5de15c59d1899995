#include "app/AssignedChoice.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "macro/MacroNode.h"
#include "macro/RecordBuilder.h"
#include "macro_dialog/MacroRecordDlg.h"
#include "protocol/KeyNameTable.h"
#include "protocol/KeyboardProtocol.h"
#include "ui/host/SApplication.h"

namespace keyloom::app {

namespace {

using macro::MacroRecordDlg;
using Kind = AssignedChoice::Kind;

// A choice that builds the record, with its name.
struct Match {
  QString name;
  bool shortened = false;
  keymap::ContentLabel label;
};

// The first of `count` candidates whose record equals `record`, trying `preferred` first.
std::optional<Match> FindMatch(int count, int preferred,
                               const std::function<macro::BuiltRecord(int)>& build,
                               const std::function<QString(int)>& name,
                               const std::function<keymap::ContentLabel(int)>& label,
                               const protocol::KeyAssignmentRecord& record) {
  const auto matches = [&](int index) -> std::optional<Match> {
    const macro::BuiltRecord built = build(index);
    if (built.record != record) {
      return std::nullopt;
    }
    return Match{name(index), built.shortened, label(index)};
  };
  if (preferred >= 0 && preferred < count) {
    if (std::optional<Match> found = matches(preferred)) {
      return found;
    }
  }
  for (int index = 0; index < count; ++index) {
    if (std::optional<Match> found = index != preferred ? matches(index) : std::nullopt) {
      return found;
    }
  }
  return std::nullopt;
}

QString EntryName(const std::vector<settings::KeyCatalogEntry>& catalogue, int index) {
  return ui::SApplication::Tr(
      QString::fromStdString(catalogue[static_cast<std::size_t>(index)].name));
}

keymap::ContentLabel EntryLabel(keymap::ContentKind kind,
                                const std::vector<settings::KeyCatalogEntry>& catalogue,
                                int index) {
  const settings::KeyCatalogEntry& entry = catalogue[static_cast<std::size_t>(index)];
  return {kind, entry.name,
          kind == keymap::ContentKind::kChord ? entry.codes : std::vector<std::int32_t>()};
}

int CountOf(const std::vector<settings::KeyCatalogEntry>& catalogue) {
  return static_cast<int>(catalogue.size());
}

// A macro of the library or a key combination of the catalogue; on the shortcut page the
// catalogue is asked first.
std::optional<Match> FindMacro(const protocol::KeyAssignmentRecord& record,
                               const protocol::SelectedKeys& keys,
                               const macro::AssignmentStore& store,
                               const macro::MacroLibrary& library,
                               const settings::AppConfig& config) {
  const auto group = [&] {
    return FindMatch(
        library.GroupCount(), store.groupsel,
        [&](int index) {
          return macro::BuildMacroRecord(keys, record.repeatCount(), library.GroupAt(index));
        },
        [&](int index) {
          return QString::fromStdString(
              library.GroupAt(index)->Attribute(macro::kNameAttribute).value_or(""));
        },
        [&](int index) {
          return keymap::ContentLabel{
              keymap::ContentKind::kMacro,
              library.GroupAt(index)->Attribute(macro::kNameAttribute).value_or(""),
              {}};
        },
        record);
  };
  const auto chord = [&] {
    return FindMatch(
        CountOf(config.functionKeys), store.functsel,
        [&](int index) { return macro::BuildChordRecord(keys, config.functionKeys, index); },
        [&](int index) { return EntryName(config.functionKeys, index); },
        [&](int index) {
          return EntryLabel(keymap::ContentKind::kChord, config.functionKeys, index);
        },
        record);
  };
  if (store.page == MacroRecordDlg::kFunctionKeyPage) {
    std::optional<Match> found = chord();
    return found ? found : group();
  }
  std::optional<Match> found = group();
  return found ? found : chord();
}

// A media key of the catalogue, unless the user chose on the single-key page; else the key.
Match FindKey(const protocol::KeyAssignmentRecord& record, const macro::AssignmentStore& store,
              const settings::AppConfig& config) {
  if (store.page != MacroRecordDlg::kSingleKeyPage) {
    if (std::optional<Match> media = FindMatch(
            CountOf(config.mediaKeys), store.mediasel,
            [&](int index) { return macro::BuildMediaKeyRecord(config.mediaKeys, index); },
            [&](int index) { return EntryName(config.mediaKeys, index); },
            [&](int index) {
              return EntryLabel(keymap::ContentKind::kMediaKey, config.mediaKeys, index);
            },
            record)) {
      return *media;
    }
  }
  return {QString::fromStdString(protocol::UsageName(record.keyCode())),
          false,
          {keymap::ContentKind::kSingleKey, {}, {}}};
}

}  // namespace

AssignedChoice DescribeChoice(const protocol::KeyAssignmentRecord& record,
                              const protocol::SelectedKeys& keys,
                              const macro::AssignmentStore& store,
                              const macro::MacroLibrary& library,
                              const settings::AppConfig& config) {
  AssignedChoice choice;
  choice.page = store.page;
  if (!protocol::NamesAnAssignment(record)) {
    return choice;
  }
  if (record.IsMacro()) {
    if (std::optional<Match> found = FindMacro(record, keys, store, library, config)) {
      choice.kind = Kind::kPlays;
      choice.name = found->name;
      choice.shortened = found->shortened;
      choice.label = found->label;
    }
    return choice;
  }
  const Match key = FindKey(record, store, config);
  choice.kind = Kind::kSends;
  choice.name = key.name;
  choice.label = key.label;
  return choice;
}

}  // namespace keyloom::app

#include "app/KeyDescriptions.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "app/Language.h"
#include "keymap/AssignmentWords.h"
#include "macro/MacroNode.h"
#include "macro/RecordBuilder.h"
#include "protocol/KeyNameTable.h"
#include "protocol/SelectedKeys.h"
#include "ui/host/SApplication.h"

namespace keyloom::app {

QString DescribeAssignment(const QString& keyName, const keymap::KeyContent& content) {
  // The catalogues' names are shown translated, as the dialog shows them; a macro's is the
  // user's own.
  keymap::KeyContent shown = content;
  if (content.kind == keymap::ContentKind::kMediaKey ||
      content.kind == keymap::ContentKind::kChord) {
    shown.name = ui::SApplication::Tr(QString::fromStdString(content.name)).toStdString();
  }
  const keymap::AssignmentWords words =
      keymap::Describe(keyName.toStdString(), shown, protocol::UsageName);
  // The places are filled in one pass, so that a name holding "%2" stays as it is.
  const std::string text = Translated(std::string(words.text).c_str()).toStdString();
  return QString::fromStdString(keymap::FillIn(text, words.arguments));
}

bool PlaysOlderCopy(std::uint8_t keyCode, const keymap::KeyContent& content,
                    const macro::MacroLibrary& library) {
  if (content.kind != keymap::ContentKind::kMacro || content.name.empty()) {
    return false;
  }
  for (int index = 0; index < library.GroupCount(); ++index) {
    const macro::MacroNode* group = library.GroupAt(index);
    if (group->Attribute(macro::kNameAttribute).value_or("") != content.name) {
      continue;
    }
    protocol::SelectedKeys keys;
    keys[keyCode] = {};
    protocol::KeyAssignmentRecord now = macro::BuildMacroRecord(keys, content.repeat, group).record;
    now.SetKeyCode(0);
    return now != content.Record();
  }
  return false;
}

std::vector<KeyDescription> DescribeAssignments(
    const std::vector<keymap::SlotAssignment>& assignments,
    const std::function<QString(std::uint8_t)>& keyName,
    const std::function<const macro::MacroLibrary*()>& openLibrary) {
  std::vector<KeyDescription> descriptions;
  const macro::MacroLibrary* library = nullptr;
  bool libraryAsked = false;
  for (const keymap::SlotAssignment& assignment : assignments) {
    QString text = DescribeAssignment(keyName(assignment.keyCode), assignment.content);
    bool olderCopy = false;
    if (assignment.content.kind == keymap::ContentKind::kMacro) {
      if (!libraryAsked) {
        library = openLibrary();
        libraryAsked = true;
      }
      olderCopy =
          library != nullptr && PlaysOlderCopy(assignment.keyCode, assignment.content, *library);
    }
    auto same =
        std::find_if(descriptions.begin(), descriptions.end(),
                     [&](const KeyDescription& d) { return d.keyCode == assignment.keyCode; });
    if (same != descriptions.end()) {
      same->text += QLatin1Char('\n') + text;
      same->olderCopy = same->olderCopy || olderCopy;
    } else {
      descriptions.push_back({assignment.keyCode, text, olderCopy, assignment.content});
    }
  }
  return descriptions;
}

}  // namespace keyloom::app

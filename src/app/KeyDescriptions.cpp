#include "app/KeyDescriptions.h"

#include <algorithm>
#include <string>

#include "app/Language.h"
#include "keymap/AssignmentWords.h"
#include "keymap/ContentBuilder.h"
#include "protocol/KeyNameTable.h"
#include "ui/host/SApplication.h"

namespace keyloom::app {

keymap::KeyContent ShownContent(const keymap::KeyContent& content) {
  keymap::KeyContent shown = content;
  if (content.kind == keymap::ContentKind::kMediaKey ||
      content.kind == keymap::ContentKind::kChord) {
    shown.name = ui::SApplication::Tr(QString::fromStdString(content.name)).toStdString();
  }
  return shown;
}

QString DescribeAssignment(const QString& keyName, const keymap::KeyContent& content,
                           bool unfinished) {
  const keymap::AssignmentWords words = keymap::Describe(
      keyName.toStdString(), ShownContent(content), protocol::UsageName, unfinished);
  // The places are filled in one pass, so that a name holding "%2" stays as it is.
  const std::string text = Translated(std::string(words.text).c_str()).toStdString();
  return QString::fromStdString(keymap::FillIn(text, words.arguments));
}

std::vector<KeyDescription> DescribeAssignments(
    const std::vector<keymap::SlotAssignment>& assignments,
    const std::function<QString(std::uint8_t)>& keyName,
    const std::function<const macro::MacroLibrary*()>& openLibrary) {
  std::vector<KeyDescription> descriptions;
  const macro::MacroLibrary* library = nullptr;
  bool libraryAsked = false;
  for (const keymap::SlotAssignment& assignment : assignments) {
    QString text =
        DescribeAssignment(keyName(assignment.keyCode), assignment.content, assignment.unfinished);
    bool olderCopy = false;
    if (assignment.content.kind == keymap::ContentKind::kMacro) {
      if (!libraryAsked) {
        library = openLibrary();
        libraryAsked = true;
      }
      olderCopy = library != nullptr && keymap::PlaysOlderCopy(assignment.content, *library);
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

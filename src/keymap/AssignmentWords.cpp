#include "keymap/AssignmentWords.h"

namespace keyloom::keymap {

AssignmentWords Describe(const std::string& keyName, const KeyContent& content,
                         const KeyNamer& keyNamer, bool unfinished) {
  const bool once = content.repeat == 1;
  const std::string times = std::to_string(content.repeat);
  switch (content.kind) {
    case ContentKind::kMacro:
      if (content.name.empty()) {
        return once ? AssignmentWords{kUnnamedMacroOnceText, {keyName}}
                    : AssignmentWords{kUnnamedMacroTimesText, {keyName, times}};
      }
      return once ? AssignmentWords{kMacroOnceText, {keyName, content.name}}
                  : AssignmentWords{kMacroTimesText, {keyName, content.name, times}};
    case ContentKind::kChord:
      return {kChordText, {keyName, content.name}};
    case ContentKind::kSingleKey:
      return {kSingleKeyText, {keyName, keyNamer(content.target)}};
    case ContentKind::kMediaKey:
      return {kMediaKeyText, {keyName, content.name}};
    case ContentKind::kUnknown:
      break;
  }
  return {unfinished ? kUnfinishedContentText : kUnknownContentText, {keyName}};
}

std::string FillIn(std::string_view text, const std::vector<std::string>& arguments) {
  std::string filled;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    const auto place = static_cast<std::size_t>(next - '1');
    if (text[i] == '%' && next >= '1' && next <= '9' && place < arguments.size()) {
      filled += arguments[place];
      ++i;
    } else {
      filled += text[i];
    }
  }
  return filled;
}

}  // namespace keyloom::keymap

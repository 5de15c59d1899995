#include "macro/MacroLibrary.h"

#include <algorithm>
#include <string>
#include <utility>

#include <pugixml.hpp>

#include "macro/UserFiles.h"
#include "macro/XmlFiles.h"

namespace keyloom::macro {

namespace {

constexpr const char* kLibraryElement = "group";
constexpr const char* kGroupElement = "items";
constexpr const char* kEventElement = "item";

constexpr std::u8string_view kMacroFileExtension = u8"mcr";
constexpr std::string_view kNewGroupNamePrefix = "Group ";

// An event's attributes in the order they are written, with what the reader puts in for each
// when the file lacks it.
struct EventAttribute {
  std::string_view name;
  const char* whenMissing;
};
constexpr EventAttribute kEventAttributes[] = {
    {kCodeAttribute, "0"}, {kNameAttribute, ""}, {kStateAttribute, "0"}, {kDelayAttribute, "0"}};

// Library files are UTF-8. A UTF-16 or UTF-32 byte-order mark, which a text editor may have
// added, leaves no doubt about the encoding and is honoured rather than refusing the file.
pugi::xml_encoding EncodingOf(std::string_view bytes) {
  constexpr std::string_view kWideMarks[] = {"\xFF\xFE", "\xFE\xFF",
                                             std::string_view("\x00\x00\xFE\xFF", 4)};
  for (const std::string_view mark : kWideMarks) {
    if (bytes.starts_with(mark)) {
      return pugi::encoding_auto;
    }
  }
  return pugi::encoding_utf8;
}

const char* TextOf(const pugi::xml_attribute& attribute, const char* whenMissing) {
  return attribute ? attribute.value() : whenMissing;
}

// ` name="value"` with the value escaped as the parser's writer escapes attribute values:
// &, < and " as entities, every character below 32 as a two-digit character reference. A value
// ends at a NUL character, as it would in the parser's document.
void AppendAttribute(std::string& text, std::string_view name, std::string_view value) {
  constexpr unsigned char kFirstPrintable = 32;
  constexpr unsigned char kDecimal = 10;
  text += ' ';
  text += name;
  text += "=\"";
  value = value.substr(0, value.find('\0'));
  while (!value.empty()) {
    const auto special = std::ranges::find_if(value, [](char c) {
      return c == '&' || c == '<' || c == '"' || static_cast<unsigned char>(c) < kFirstPrintable;
    });
    const auto plain = static_cast<std::size_t>(special - value.begin());
    text += value.substr(0, plain);
    if (plain == value.size()) {
      break;
    }
    const char c = value[plain];
    if (c == '&') {
      text += "&amp;";
    } else if (c == '<') {
      text += "&lt;";
    } else if (c == '"') {
      text += "&quot;";
    } else {
      const auto code = static_cast<unsigned char>(c);
      text += "&#";
      text += static_cast<char>('0' + code / kDecimal);
      text += static_cast<char>('0' + code % kDecimal);
      text += ';';
    }
    value.remove_prefix(plain + 1);
  }
  text += '"';
}

}  // namespace

MacroLibrary::MacroLibrary(std::filesystem::path path) : path_(std::move(path)) {}

OpenReport MacroLibrary::Open(std::chrono::system_clock::time_point now) {
  saveRefusal_.reset();
  const LoadResult loaded = Load(path_);
  if (loaded.status == LoadResult::Status::kMissing) {
    return {};
  }
  if (!loaded.ok()) {
    OpenReport report = KeepUnreadableFileAside(path_, loaded.error, now);
    if (!report.keptAs) {
      saveRefusal_ = report.problem;
    }
    return report;
  }
  if (loaded.skippedGroups == 0) {
    return {};
  }
  OpenReport report;
  const std::string left = std::to_string(loaded.skippedGroups) + " group(s) of " + path_.string() +
                           " have no \"name\" attribute and were left out";
  const AsideResult aside = CopyFileAside(path_, kPartlyReadLabel, now);
  if (aside.result.ok()) {
    report.keptAs = aside.keptAs;
    report.problem = left + "; the file as it was is kept as " + aside.keptAs.string();
  } else {
    report.problem = left + "; " + aside.result.error() +
                     ", so nothing will be saved over it until it is repaired or removed";
    saveRefusal_ = report.problem;
  }
  return report;
}

LoadResult MacroLibrary::Load(const std::filesystem::path& file) {
  return LoadUserFile(file, [this](std::string_view bytes) { return LoadBuffer(bytes); });
}

LoadResult MacroLibrary::LoadBuffer(std::string_view bytes) {
  pugi::xml_document document;
  LoadResult loaded = xml::Parse(document, bytes, EncodingOf(bytes));
  if (!loaded.ok()) {
    return loaded;
  }
  Clear();
  for (const pugi::xml_node groupElement : document.child(kLibraryElement).children()) {
    if (groupElement.type() != pugi::node_element) {
      continue;
    }
    const pugi::xml_attribute name = groupElement.attribute(kNameAttribute.data());
    if (!name) {
      ++loaded.skippedGroups;
      continue;
    }
    MacroNode* group =
        root_.InsertChild(MacroNode::kLast, {{std::string(kNameAttribute), name.value()}});
    for (const pugi::xml_node eventElement : groupElement.children()) {
      if (eventElement.type() != pugi::node_element) {
        continue;
      }
      MacroAttributes attributes;
      for (const auto& [attributeName, whenMissing] : kEventAttributes) {
        attributes.emplace(std::string(attributeName),
                           TextOf(eventElement.attribute(attributeName.data()), whenMissing));
      }
      group->InsertChild(MacroNode::kLast, std::move(attributes));
    }
  }
  return loaded;
}

std::string MacroLibrary::ToXml() const {
  // Written directly rather than through a parser document: the recorder saves the whole
  // library on every keystroke, and building a document of every event first costs several
  // times the save itself. The output is what the parser's writer gives for the same document
  // (indented by tabs, UTF-8 without a byte-order mark), which the tests check against it.
  std::string text;
  std::size_t events = 0;
  for (int g = 0; g < root_.ChildCount(); ++g) {
    events += static_cast<std::size_t>(root_.ChildAt(g)->ChildCount());
  }
  constexpr std::size_t kBytesPerEventGuess = 64;
  text.reserve(kBytesPerEventGuess * (events + static_cast<std::size_t>(root_.ChildCount()) + 1));

  text += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<";
  text += kLibraryElement;
  if (root_.ChildCount() == 0) {
    text += " />\n";
    return text;
  }
  text += ">\n";
  for (int g = 0; g < root_.ChildCount(); ++g) {
    const MacroNode& group = *root_.ChildAt(g);
    const auto& groupAttributes = group.attributes();
    const auto name = groupAttributes.find(kNameAttribute);
    text += "\t<";
    text += kGroupElement;
    AppendAttribute(text, kNameAttribute, name != groupAttributes.end() ? name->second : "");
    if (group.ChildCount() == 0) {
      text += " />\n";
      continue;
    }
    text += ">\n";
    for (int e = 0; e < group.ChildCount(); ++e) {
      const auto& eventAttributes = group.ChildAt(e)->attributes();
      text += "\t\t<";
      text += kEventElement;
      // An event made without one of the four attributes is written as the reader would fill
      // it in, so every `item` carries all four.
      for (const auto& [attributeName, whenMissing] : kEventAttributes) {
        const auto value = eventAttributes.find(attributeName);
        AppendAttribute(text, attributeName,
                        value != eventAttributes.end() ? std::string_view(value->second)
                                                       : std::string_view(whenMissing));
      }
      text += " />\n";
    }
    text += "\t</";
    text += kGroupElement;
    text += ">\n";
  }
  text += "</";
  text += kLibraryElement;
  text += ">\n";
  return text;
}

FileResult MacroLibrary::Save(const std::filesystem::path& file) const {
  if (file.empty()) {
    return FileResult::Failed("the macro library has no file to be saved to");
  }
  if (saveRefusal_ && file == path_) {
    return FileResult::Failed("not saved: " + *saveRefusal_);
  }
  return WriteFileAtomically(file, ToXml());
}

void MacroLibrary::Clear() {
  root_.ClearChildren();
  root_.ClearAttributes();
}

EditResult MacroLibrary::AddGroup() {
  return AddNamedGroup(std::string(kNewGroupNamePrefix) + std::to_string(GroupCount()));
}

EditResult MacroLibrary::AddNamedGroup(std::string_view name) {
  if (name.empty()) {
    return {};
  }
  root_.InsertChild(MacroNode::kLast, {{std::string(kNameAttribute), std::string(name)}});
  return {true, SaveToOwnFile()};
}

EditResult MacroLibrary::RemoveGroup(int index) {
  if (!root_.RemoveChild(index)) {
    return {};
  }
  return {true, SaveToOwnFile()};
}

EditResult MacroLibrary::RenameGroup(int index, std::string_view name) {
  MacroNode* group = GroupAt(index);
  if (group == nullptr || group->Attribute(kNameAttribute) == name) {
    return {};
  }
  group->SetAttribute(kNameAttribute, std::string(name));
  return {true, SaveToOwnFile()};
}

bool MacroLibrary::IsMacroFileName(const std::filesystem::path& file) {
  const std::u8string text = file.u8string();
  const std::size_t dot = text.rfind(u8'.');
  if (dot == std::u8string::npos) {
    return false;
  }
  return std::u8string_view(text).substr(dot + 1) == kMacroFileExtension;
}

MacroLibrary::ImportResult MacroLibrary::Import(const std::filesystem::path& file,
                                                std::chrono::system_clock::time_point now) {
  using Status = ImportResult::Status;
  ImportResult imported;
  if (!IsMacroFileName(file)) {
    imported.status = Status::kRefusedName;
    imported.error = file.string() + " is not a .mcr file";
    return imported;
  }
  // Read once aside, so that the library file is copied only for a file that will replace it.
  MacroLibrary incoming;
  if (LoadResult checked = incoming.Load(file); !checked.ok()) {
    imported.status = Status::kNotRead;
    imported.error = checked.status == LoadResult::Status::kMissing
                         ? file.string() + " does not exist"
                         : std::move(checked.error);
    return imported;
  }
  std::error_code error;
  if (std::filesystem::exists(path_, error)) {
    const AsideResult aside = CopyFileAside(path_, kBeforeImportLabel, now);
    if (!aside.result.ok()) {
      imported.status = Status::kNotKept;
      imported.error = aside.result.error();
      return imported;
    }
    imported.previousKeptAs = aside.keptAs;
  }
  const LoadResult loaded = Load(file);
  if (!loaded.ok()) {
    imported.status = Status::kNotRead;
    imported.error = loaded.error;
    return imported;
  }
  imported.skippedGroups = loaded.skippedGroups;
  if (const FileResult saved = SaveToOwnFile(); !saved.ok()) {
    imported.status = Status::kNotSaved;
    imported.error = saved.error();
  }
  return imported;
}

FileResult MacroLibrary::Export(const std::filesystem::path& file) const {
  if (!IsMacroFileName(file)) {
    return FileResult::Failed(file.string() + " is not a .mcr file");
  }
  return Save(file);
}

}  // namespace keyloom::macro

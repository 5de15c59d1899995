#include "macro/MacroLibrary.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "settings/Utf8Text.h"
#include "storage/DataFolderLock.h"
#include "storage/UserFiles.h"
#include "storage/XmlFiles.h"

namespace keyloom::macro {

namespace {

constexpr const char* kLibraryElement = "group";
constexpr const char* kGroupElement = "items";
constexpr const char* kEventElement = "item";

constexpr std::u8string_view kMacroFileExtension = u8"mcr";

// The names of left-out elements that a message lists at most.
constexpr std::size_t kLeftOutNamesShown = 5;
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

// ` name="value"` with the value as settings::XmlText gives it (which ends it at a NUL
// character), escaped as the parser's writer escapes attribute values: &, < and " as entities,
// tab, line feed and carriage return as two-digit character references.
void AppendAttribute(std::string& text, std::string_view name, std::string_view rawValue) {
  constexpr unsigned char kFirstPrintable = 32;
  constexpr unsigned char kDecimal = 10;
  text += ' ';
  text += name;
  text += "=\"";
  const std::string cleaned = settings::XmlText(rawValue);
  std::string_view value = cleaned;
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

storage::OpenReport MacroLibrary::Open(std::chrono::system_clock::time_point now) {
  // A folder where no lock file can be made is read all the same: reading loses nothing.
  const std::optional<storage::DataFolderLock> lock =
      path_.empty() ? std::nullopt
                    : std::make_optional<storage::DataFolderLock>(path_.parent_path());
  saveRefusal_.reset();
  onDisk_.reset();
  return ReadAgainIfChanged(now).report;
}

MacroLibrary::Reread MacroLibrary::ReadAgainIfChanged(std::chrono::system_clock::time_point now) {
  Reread reread;
  storage::FileBytes read = storage::ReadUserFile(path_);
  if (read.status == storage::LoadResult::Status::kMissing) {
    // Gone (moved aside by another program, or removed): the next save writes what this object
    // holds.
    onDisk_.reset();
    saveRefusal_.reset();
    return reread;
  }
  if (read.status == storage::LoadResult::Status::kLoaded && onDisk_ == read.bytes) {
    return reread;
  }
  saveRefusal_.reset();
  MacroNode incoming{this, nullptr};
  storage::LoadResult loaded;
  loaded.status = read.status;
  loaded.error = read.error;
  if (read.status == storage::LoadResult::Status::kLoaded) {
    loaded = ParseGroups(incoming, read.bytes);
    if (loaded.status == storage::LoadResult::Status::kMalformed) {
      loaded.error = path_.string() + " is " + loaded.error;
    }
  }
  if (!loaded.ok()) {
    // The library keeps what it holds: empty when just opened, else the last content read or
    // saved, which the next save puts back in place of the broken file.
    reread.report = storage::KeepUnreadableFileAside(path_, loaded, now);
    if (reread.report.keptAs) {
      onDisk_.reset();
    } else {
      saveRefusal_ = reread.report.problem;
      onDisk_ = std::move(read.bytes);
    }
    return reread;
  }
  onDisk_ = std::move(read.bytes);
  TakeGroups(incoming);
  reread.reloaded = true;
  if (!loaded.partlyRead()) {
    return reread;
  }
  const std::string left = LeftOutText(path_, loaded);
  const storage::AsideResult aside = storage::CopyFileAside(path_, kPartlyReadLabel, now);
  if (aside.result.ok()) {
    reread.report.keptAs = aside.keptAs;
    reread.report.problem = left + "; the file as it was is kept as " + aside.keptAs.string();
  } else {
    reread.report.problem = left + "; " + aside.result.error() +
                            ", so nothing will be saved over it until it is repaired or removed";
    saveRefusal_ = reread.report.problem;
  }
  return reread;
}

void MacroLibrary::SwapGroups(MacroNode& other) {
  root_.children_.swap(other.children_);
  for (const auto& group : root_.children_) {
    group->parent_ = &root_;
  }
  for (const auto& group : other.children_) {
    group->parent_ = &other;
  }
  root_.ClearAttributes();
}

void MacroLibrary::TakeGroups(MacroNode& root) {
  SwapGroups(root);
  if (reloaded_) {
    reloaded_(root);
  }
}

storage::LoadResult MacroLibrary::Load(const std::filesystem::path& file) {
  return storage::LoadUserFile(file, [this](std::string_view bytes) { return LoadBuffer(bytes); });
}

storage::LoadResult MacroLibrary::LoadBuffer(std::string_view bytes) {
  MacroNode incoming{this, nullptr};
  storage::LoadResult loaded = ParseGroups(incoming, bytes);
  if (loaded.ok()) {
    SwapGroups(incoming);
  }
  return loaded;
}

storage::LoadResult MacroLibrary::ParseGroups(MacroNode& root, std::string_view bytes) {
  pugi::xml_document document;
  storage::LoadResult loaded = storage::xml::Parse(document, bytes, EncodingOf(bytes));
  if (!loaded.ok()) {
    return loaded;
  }
  pugi::xml_node library;
  for (const pugi::xml_node element : document.children()) {
    if (element.type() != pugi::node_element) {
      continue;
    }
    if (!library && std::string_view(element.name()) == kLibraryElement) {
      library = element;
    } else {
      loaded.leftOutElements.emplace_back(element.name());
    }
  }
  for (const pugi::xml_node groupElement : library.children()) {
    if (groupElement.type() != pugi::node_element) {
      continue;
    }
    const pugi::xml_attribute name = groupElement.attribute(kNameAttribute.data());
    if (!name) {
      ++loaded.skippedGroups;
      continue;
    }
    MacroNode* group =
        root.InsertChild(MacroNode::kLast, {{std::string(kNameAttribute), name.value()}});
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

std::string MacroLibrary::LeftOutText(const std::filesystem::path& file,
                                      const storage::LoadResult& loaded) {
  if (!loaded.partlyRead()) {
    return {};
  }
  std::string text = file.string() + " was read only in part: ";
  if (loaded.skippedGroups > 0) {
    text += std::to_string(loaded.skippedGroups) + " group(s) without a \"name\" attribute";
  }
  if (!loaded.leftOutElements.empty()) {
    if (loaded.skippedGroups > 0) {
      text += " and ";
    }
    text += std::to_string(loaded.leftOutElements.size()) +
            " element(s) at the top other than the first <" + kLibraryElement + "> (";
    std::vector<std::string_view> names;
    for (const std::string& name : loaded.leftOutElements) {
      if (std::ranges::find(names, name) == names.end()) {
        names.push_back(name);
      }
    }
    for (std::size_t i = 0; i < names.size() && i < kLeftOutNamesShown; ++i) {
      text += (i == 0 ? "<" : ", <") + std::string(names[i]) + ">";
    }
    text += names.size() > kLeftOutNamesShown ? ", ...)" : ")";
  }
  return text + " were left out";
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

storage::FileResult MacroLibrary::Save(const std::filesystem::path& file) const {
  if (file.empty()) {
    return storage::FileResult::Failed("the macro library has no file to be saved to");
  }
  if (file != path_) {
    return storage::WriteFileAtomically(file, ToXml(), storage::Replacing::kChosenFile);
  }
  const storage::DataFolderLock lock(path_.parent_path());
  if (!lock.held()) {
    return lock.result();
  }
  return SaveOwnFileLocked();
}

storage::FileResult MacroLibrary::SaveOwnFileLocked() const {
  if (path_.empty()) {
    return storage::FileResult::Failed("the macro library has no file to be saved to");
  }
  if (saveRefusal_) {
    return storage::FileResult::Failed("not saved: " + *saveRefusal_);
  }
  storage::RemoveStaleTemporaryFiles(path_);
  std::string text = ToXml();
  storage::FileResult saved = storage::WriteFileAtomically(path_, text);
  if (saved.ok()) {
    onDisk_ = std::move(text);
  }
  return saved;
}

storage::EditResult MacroLibrary::Update(const Change& change, WhenChangedOnDisk whenChanged,
                                         std::chrono::system_clock::time_point now) {
  storage::EditResult result;
  if (path_.empty()) {
    result.changed = change(*this);
    result.saved = result.changed ? SaveOwnFileLocked() : storage::FileResult();
    return result;
  }
  const storage::DataFolderLock lock(path_.parent_path());
  if (lock.held()) {
    Reread reread = ReadAgainIfChanged(now);
    result.reloaded = reread.reloaded;
    result.reread = std::move(reread.report);
    if (result.reloaded && whenChanged == WhenChangedOnDisk::kLeaveTheChangeOut) {
      return result;
    }
  }
  result.changed = change(*this);
  if (result.changed) {
    result.saved = lock.held() ? SaveOwnFileLocked() : lock.result();
  }
  return result;
}

void MacroLibrary::Clear() {
  root_.ClearChildren();
  root_.ClearAttributes();
}

std::optional<int> MacroLibrary::GroupNamed(std::string_view name) const {
  for (int index = 0; index < GroupCount(); ++index) {
    if (GroupAt(index)->Attribute(kNameAttribute) == name) {
      return index;
    }
  }
  return std::nullopt;
}

storage::EditResult MacroLibrary::AddGroup() {
  return Update([](MacroLibrary& library) {
    std::string name;
    for (int number = library.GroupCount(); name.empty() || library.GroupNamed(name); ++number) {
      name = std::string(kNewGroupNamePrefix) + std::to_string(number);
    }
    library.root_.InsertChild(MacroNode::kLast, {{std::string(kNameAttribute), std::move(name)}});
    return true;
  });
}

storage::EditResult MacroLibrary::AddNamedGroup(std::string_view name) {
  if (name.empty()) {
    return {};
  }
  return Update([name](MacroLibrary& library) {
    if (library.GroupNamed(name)) {
      return false;
    }
    library.root_.InsertChild(MacroNode::kLast, {{std::string(kNameAttribute), std::string(name)}});
    return true;
  });
}

storage::EditResult MacroLibrary::RemoveGroup(int index) {
  return Update([index](MacroLibrary& library) { return library.root_.RemoveChild(index); },
                WhenChangedOnDisk::kLeaveTheChangeOut);
}

storage::EditResult MacroLibrary::RenameGroup(int index, std::string_view name) {
  return Update(
      [index, name](MacroLibrary& library) {
        MacroNode* group = library.GroupAt(index);
        const std::optional<int> holder = library.GroupNamed(name);
        if (group == nullptr || (holder && *holder != index) ||
            group->Attribute(kNameAttribute) == name) {
          return false;
        }
        group->SetAttribute(kNameAttribute, std::string(name));
        return true;
      },
      WhenChangedOnDisk::kLeaveTheChangeOut);
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
  MacroNode incoming{this, nullptr};
  const storage::LoadResult loaded = storage::LoadUserFile(
      file, [this, &incoming](std::string_view bytes) { return ParseGroups(incoming, bytes); });
  if (!loaded.ok()) {
    imported.status = Status::kNotRead;
    imported.error = loaded.status == storage::LoadResult::Status::kMissing
                         ? file.string() + " does not exist"
                         : loaded.error;
    return imported;
  }
  imported.leftOut = LeftOutText(file, loaded);
  if (incoming.ChildCount() == 0) {
    imported.status = Status::kNoGroups;
    imported.error = file.string() + " holds no macro group" +
                     (imported.leftOut.empty() ? std::string() : " (" + imported.leftOut + ")");
    return imported;
  }
  const std::optional<storage::DataFolderLock> lock =
      path_.empty() ? std::nullopt
                    : std::make_optional<storage::DataFolderLock>(path_.parent_path());
  if (lock && !lock->held()) {
    imported.status = Status::kNotKept;
    imported.error = lock->result().error();
    return imported;
  }
  if (lock) {
    imported.reloaded = ReadAgainIfChanged(now).reloaded;
  }
  std::error_code error;
  if (!path_.empty() && std::filesystem::exists(path_, error)) {
    const storage::AsideResult aside =
        storage::CopyFileAside(path_, storage::kBeforeImportLabel, now);
    if (!aside.result.ok()) {
      imported.status = Status::kNotKept;
      imported.error = aside.result.error();
      return imported;
    }
    imported.previousKeptAs = aside.keptAs;
  }
  SwapGroups(incoming);
  if (const storage::FileResult saved = SaveOwnFileLocked(); !saved.ok()) {
    imported.status = Status::kNotSaved;
    imported.error = saved.error();
  }
  return imported;
}

storage::FileResult MacroLibrary::Export(const std::filesystem::path& file) const {
  if (!IsMacroFileName(file)) {
    return storage::FileResult::Failed(file.string() + " is not a .mcr file");
  }
  return Save(file);
}

}  // namespace keyloom::macro

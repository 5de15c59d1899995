#include "settings/AppConfig.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "settings/AppPaths.h"
#include "settings/NumberText.h"
#include "settings/Utf8Text.h"

namespace keyloom::settings {

namespace {

constexpr const char* kLocalElement = "local";
constexpr const char* kLanguageAttribute = "language";
constexpr std::string_view kChineseLanguage = "cn";

constexpr const char* kUsbElement = "usb";
constexpr const char* kVendorIdAttribute = "vid";
constexpr const char* kProductIdAttribute = "pid";
constexpr const char* kInterfaceAttribute = "interface";
constexpr const char* kCollectionAttribute = "subdevice";

constexpr const char* kMediaKeyElement = "mediakey";
constexpr const char* kFunctionKeyElement = "functkey";
constexpr const char* kNameAttribute = "name";
constexpr const char* kCodeAttribute = "code";

constexpr const char* kWindowElement = "window";
constexpr const char* kWidthAttribute = "width";
constexpr const char* kHeightAttribute = "height";

// The locales of the systems that speak Chinese: "zh", "zh_CN", "zh-Hans-CN", ...
constexpr std::string_view kChineseLocale = "zh";

// A user's file as the program starts it.
constexpr std::string_view kNewUserFile =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<!-- Keyloom's settings for this user. Each element here takes the place of the one of the "
    "program's own config.xml: the language (cn or en) and the window's size, which Keyloom "
    "keeps here, and a usb, mediakey or functkey element of your own. -->\n";

// What the user's file is parsed with, so that its comments and declarations are written back.
constexpr unsigned kUserFileParsing = pugi::parse_default | pugi::parse_comments |
                                      pugi::parse_declaration | pugi::parse_pi |
                                      pugi::parse_doctype;

// Far above any real configuration; a larger file is refused rather than read into memory.
constexpr std::uintmax_t kLargestFileSize = std::uintmax_t{16} * 1024 * 1024;

constexpr std::string_view kNoSuchFile = "there is no such file";

constexpr char kCodeSeparator = ',';
constexpr char kIgnoredInCodes = ' ';

// The whole content of a regular file, or why there is none: a missing file, a folder or device,
// a file that cannot be read or one above kLargestFileSize.
struct FileContent {
  std::optional<std::string> bytes;
  std::string problem;
};

FileContent ReadWholeFile(const std::filesystem::path& file) {
  std::error_code error;
  const auto status = std::filesystem::status(file, error);
  if (status.type() == std::filesystem::file_type::not_found) {
    return {std::nullopt, std::string(kNoSuchFile)};
  }
  if (error) {
    return {std::nullopt, "it cannot be read (" + error.message() + ")"};
  }
  if (!std::filesystem::is_regular_file(status)) {
    return {std::nullopt, "it is not a regular file"};
  }
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (!error && size > kLargestFileSize) {
    return {std::nullopt, "it is larger than " +
                              std::to_string(kLargestFileSize / (std::uintmax_t{1024} * 1024)) +
                              " MiB"};
  }
  std::ifstream stream(file, std::ios::binary);
  if (error || !stream) {
    return {std::nullopt, "it cannot be opened for reading"};
  }
  std::string bytes(static_cast<std::size_t>(size), '\0');
  stream.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!stream || static_cast<std::uintmax_t>(stream.gcount()) != size) {
    return {std::nullopt, "it could not be read to its end"};
  }
  return {std::move(bytes), {}};
}

// True when a code unit of the text, in the encoding the parser detected, is zero. XML forbids
// that character, and the parser takes it for the end of the document.
bool HasNulCharacter(std::string_view bytes, pugi::xml_encoding encoding) {
  std::size_t unitSize = 1;
  if (encoding == pugi::encoding_utf16_le || encoding == pugi::encoding_utf16_be) {
    unitSize = 2;
  } else if (encoding == pugi::encoding_utf32_le || encoding == pugi::encoding_utf32_be) {
    unitSize = 4;
  }
  for (std::size_t unit = 0; unit + unitSize <= bytes.size(); unit += unitSize) {
    if (bytes.substr(unit, unitSize).find_first_not_of('\0') == std::string_view::npos) {
      return true;
    }
  }
  return false;
}

std::vector<std::int32_t> ReadCodes(std::string_view text) {
  std::vector<std::int32_t> codes;
  std::string piece;
  for (const char c : text) {
    if (c == kCodeSeparator) {
      if (!piece.empty()) {
        codes.push_back(ReadDecimalInt32(piece));
        piece.clear();
      }
    } else if (c != kIgnoredInCodes) {
      piece += c;
    }
  }
  if (!piece.empty()) {
    codes.push_back(ReadDecimalInt32(piece));
  }
  return codes;
}

// Every child node counts, whatever its name or kind; comments and text have no "name" and drop
// out with the nameless elements.
std::vector<KeyCatalogEntry> ReadCatalogue(const pugi::xml_node& catalogue) {
  std::vector<KeyCatalogEntry> entries;
  for (const pugi::xml_node child : catalogue.children()) {
    const std::string_view name = child.attribute(kNameAttribute).value();
    if (name.empty()) {
      continue;
    }
    entries.push_back({ValidUtf8(name), ReadCodes(child.attribute(kCodeAttribute).value())});
  }
  return entries;
}

// Parses a configuration; says why text is no configuration (see LoadBuffer), empty when it is
// one.
std::string ParseConfiguration(std::string_view bytes, pugi::xml_document& document) {
  // The parser accepts several elements at the top level, which this file needs. On a syntax
  // error it still hands back the tree read up to that point, and at a NUL character it stops
  // reading without any error; neither partial tree is used. A file without any element (empty,
  // only a declaration or comments) is refused by the parser as well.
  const pugi::xml_parse_result result =
      document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_auto);
  if (!result) {
    return std::string("it is not well-formed XML (") + result.description() + " at byte " +
           std::to_string(result.offset) + ")";
  }
  if (HasNulCharacter(bytes, result.encoding)) {
    return "it is not well-formed XML (a NUL character)";
  }
  return {};
}

// Reads a file whole into `document`; says why it cannot be read or is no configuration, empty
// when it was read. An empty path is no file.
std::string ParseFile(const std::filesystem::path& file, pugi::xml_document& document) {
  if (file.empty()) {
    return std::string(kNoSuchFile);
  }
  const FileContent content = ReadWholeFile(file);
  return content.bytes ? ParseConfiguration(*content.bytes, document) : content.problem;
}

// The top-level element of the configuration that `element` picks by name.
using ElementPicker = std::function<pugi::xml_node(const char* name)>;

void ReadElements(AppConfig& config, const ElementPicker& element) {
  const std::string_view language = element(kLocalElement).attribute(kLanguageAttribute).value();
  config.isChinese = language == kChineseLanguage;
  config.languageSet = !language.empty();

  const pugi::xml_node usb = element(kUsbElement);
  config.vendorId = ReadHexInt32(usb.attribute(kVendorIdAttribute).value());
  config.productId = ReadHexInt32(usb.attribute(kProductIdAttribute).value());
  config.interfaceNumber = ReadHexInt32(usb.attribute(kInterfaceAttribute).value());
  config.collectionNumber = ReadHexInt32(usb.attribute(kCollectionAttribute).value());

  config.mediaKeys = ReadCatalogue(element(kMediaKeyElement));
  config.functionKeys = ReadCatalogue(element(kFunctionKeyElement));

  const pugi::xml_node window = element(kWindowElement);
  config.windowWidth = ReadDecimalInt32(window.attribute(kWidthAttribute).value());
  config.windowHeight = ReadDecimalInt32(window.attribute(kHeightAttribute).value());
}

struct GlobalState {
  std::mutex mutex;
  std::optional<std::filesystem::path> file;
  std::optional<std::filesystem::path> userFile;
  bool created = false;
};

GlobalState& TheGlobalState() {
  static GlobalState state;
  return state;
}

}  // namespace

bool AppConfig::Load(const std::filesystem::path& folder, std::string_view fileName) {
  return LoadFile(folder / PathFromUtf8(fileName));
}

bool AppConfig::LoadFile(const std::filesystem::path& file) {
  return LoadFileOrSayWhy(file).empty();
}

std::string AppConfig::LoadFileOrSayWhy(const std::filesystem::path& file) {
  *this = AppConfig{};
  const FileContent content = ReadWholeFile(file);
  return content.bytes ? ParseOrSayWhy(*content.bytes) : content.problem;
}

bool AppConfig::LoadBuffer(std::string_view bytes) {
  return ParseOrSayWhy(bytes).empty();
}

std::string AppConfig::ParseOrSayWhy(std::string_view bytes) {
  *this = AppConfig{};
  pugi::xml_document document;
  std::string problem = ParseConfiguration(bytes, document);
  if (problem.empty()) {
    ReadElements(*this, [&document](const char* name) { return document.child(name); });
  }
  return problem;
}

AppConfig::Layers AppConfig::LoadLayered(const std::filesystem::path& shipped,
                                         const std::filesystem::path& user) {
  *this = AppConfig{};
  pugi::xml_document shippedDocument;
  pugi::xml_document userDocument;
  Layers layers;
  layers.shippedProblem = ParseFile(shipped, shippedDocument);
  layers.userProblem = ParseFile(user, userDocument);
  layers.shipped = layers.shippedProblem.empty();
  layers.user = layers.userProblem.empty();
  layers.userPresent = layers.userProblem != kNoSuchFile;
  if (!layers.shipped) {
    shippedDocument.reset();
  }
  if (!layers.user) {
    userDocument.reset();
  }
  layers.usbFromUser = static_cast<bool>(userDocument.child(kUsbElement));
  ReadElements(*this, [&](const char* name) {
    const pugi::xml_node own = userDocument.child(name);
    return own ? own : shippedDocument.child(name);
  });
  return layers;
}

bool AppConfig::IsChineseFor(std::string_view systemLocale) const {
  if (languageSet) {
    return isChinese;
  }
  return systemLocale.substr(0, kChineseLocale.size()) == kChineseLocale &&
         (systemLocale.size() == kChineseLocale.size() ||
          systemLocale[kChineseLocale.size()] == '_' ||
          systemLocale[kChineseLocale.size()] == '-' || systemLocale[kChineseLocale.size()] == '.');
}

namespace {

struct GlobalConfiguration {
  AppConfig config;
  AppConfig::Layers layers;
};

const GlobalConfiguration& TheGlobalConfiguration() {
  static const GlobalConfiguration global = [] {
    GlobalState& state = TheGlobalState();
    std::filesystem::path file;
    std::filesystem::path userFile;
    {
      const std::lock_guard lock(state.mutex);
      state.created = true;
      file = state.file.value_or(DataDir() / PathFromUtf8(kConfigFileName));
      userFile = state.userFile ? *state.userFile : UserConfigFile(UserDataDir(), DataDir());
    }
    // A missing or broken file leaves the defaults, which find no keyboard; the program still
    // starts, with empty catalogues.
    GlobalConfiguration loaded;
    loaded.layers = loaded.config.LoadLayered(file, userFile);
    return loaded;
  }();
  return global;
}

}  // namespace

const AppConfig& AppConfig::Global() {
  return TheGlobalConfiguration().config;
}

const AppConfig::Layers& AppConfig::GlobalLayers() {
  return TheGlobalConfiguration().layers;
}

bool AppConfig::SetGlobalFile(std::filesystem::path file) {
  GlobalState& state = TheGlobalState();
  const std::lock_guard lock(state.mutex);
  if (state.created) {
    return false;
  }
  state.file = std::move(file);
  return true;
}

bool AppConfig::SetGlobalUserFile(std::filesystem::path file) {
  GlobalState& state = TheGlobalState();
  const std::lock_guard lock(state.mutex);
  if (state.created) {
    return false;
  }
  state.userFile = std::move(file);
  return true;
}

std::filesystem::path UserConfigFile(const std::filesystem::path& userDataDir,
                                     const std::filesystem::path& dataDir) {
  if (userDataDir.empty()) {
    return {};
  }
  std::error_code error;
  const std::filesystem::path user = std::filesystem::weakly_canonical(userDataDir, error);
  const std::filesystem::path data =
      error ? dataDir : std::filesystem::weakly_canonical(dataDir, error);
  if (error || user == data) {
    return {};
  }
  return userDataDir / PathFromUtf8(kConfigFileName);
}

namespace {

// What the parser took from a user's file but XML 1.0 does not allow, mended in `node` and below
// so that the file is written well-formed: every text through XmlText, a comment's "--" (which
// would end it) parted, and of an element's attributes of the same name only the first, the one
// the readers take.
void MakeWellFormed(pugi::xml_node node) {
  const auto clean = [](const char* text) { return XmlText(text); };
  if (*node.name() != '\0') {
    node.set_name(clean(node.name()).c_str());
  }
  std::string value = clean(node.value());
  if (node.type() == pugi::node_comment) {
    for (std::size_t at = value.find("--"); at != std::string::npos; at = value.find("--", at)) {
      value.insert(at + 1, 1, ' ');
    }
    if (value.ends_with('-')) {
      value += ' ';
    }
  }
  if (*node.value() != '\0' || !value.empty()) {
    node.set_value(value.c_str());
  }
  std::vector<std::string> seen;
  for (pugi::xml_attribute attribute = node.first_attribute(); attribute;) {
    const pugi::xml_attribute next = attribute.next_attribute();
    std::string name = clean(attribute.name());
    if (std::ranges::find(seen, name) != seen.end()) {
      node.remove_attribute(attribute);
    } else {
      attribute.set_name(name.c_str());
      attribute.set_value(clean(attribute.value()).c_str());
      seen.push_back(std::move(name));
    }
    attribute = next;
  }
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    MakeWellFormed(child);
  }
}

}  // namespace

std::optional<std::string> WithSetting(std::string_view bytes, std::string_view element,
                                       const AttributeValues& values) {
  pugi::xml_document document;
  const std::string_view text = bytes.empty() ? kNewUserFile : bytes;
  const pugi::xml_parse_result result =
      document.load_buffer(text.data(), text.size(), kUserFileParsing, pugi::encoding_auto);
  // A new file has no element yet, which the parser reports as an error of its own.
  const bool empty = result.status == pugi::status_no_document_element;
  if ((!result && !empty) || HasNulCharacter(text, result.encoding) || (empty && !bytes.empty())) {
    return std::nullopt;
  }
  const std::string name(element);
  pugi::xml_node node = document.child(name.c_str());
  if (!node) {
    node = document.append_child(name.c_str());
  }
  for (const auto& [attribute, value] : values) {
    pugi::xml_attribute existing = node.attribute(attribute.c_str());
    if (!existing) {
      existing = node.append_attribute(attribute.c_str());
    }
    existing.set_value(value.c_str());
  }
  MakeWellFormed(document.root());
  // The file is written in UTF-8, whatever it was read in.
  if (pugi::xml_node declaration = document.first_child();
      declaration.type() == pugi::node_declaration && declaration.attribute("encoding")) {
    declaration.attribute("encoding").set_value("utf-8");
  }
  std::ostringstream out;
  document.save(out, "\t", pugi::format_default | pugi::format_no_declaration, pugi::encoding_utf8);
  return out.str();
}

std::optional<std::string> WithLanguage(std::string_view bytes, bool chinese) {
  return WithSetting(bytes, kLocalElement,
                     {{kLanguageAttribute, chinese ? std::string(kChineseLanguage) : "en"}});
}

std::optional<std::string> WithWindowSize(std::string_view bytes, int width, int height) {
  return WithSetting(
      bytes, kWindowElement,
      {{kWidthAttribute, std::to_string(width)}, {kHeightAttribute, std::to_string(height)}});
}

}  // namespace keyloom::settings

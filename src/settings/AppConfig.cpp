#include "settings/AppConfig.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
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

// Far above any real configuration; a larger file is refused rather than read into memory.
constexpr std::uintmax_t kLargestFileSize = 16U * 1024U * 1024U;

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
    return {std::nullopt, "there is no such file"};
  }
  if (error) {
    return {std::nullopt, "it cannot be read (" + error.message() + ")"};
  }
  if (!std::filesystem::is_regular_file(status)) {
    return {std::nullopt, "it is not a regular file"};
  }
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (!error && size > kLargestFileSize) {
    return {std::nullopt,
            "it is larger than " + std::to_string(kLargestFileSize / (1024U * 1024U)) + " MiB"};
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

struct GlobalState {
  std::mutex mutex;
  std::optional<std::filesystem::path> file;
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
  // The parser accepts several elements at the top level, which this file needs. On a syntax
  // error it still hands back the tree read up to that point, and at a NUL character it stops
  // reading without any error; neither partial tree is used. A file without any element (empty,
  // only a declaration or comments) is refused by the parser as well.
  pugi::xml_document document;
  const pugi::xml_parse_result result =
      document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_auto);
  if (!result) {
    return std::string("it is not well-formed XML (") + result.description() + " at byte " +
           std::to_string(result.offset) + ")";
  }
  if (HasNulCharacter(bytes, result.encoding)) {
    return "it is not well-formed XML (a NUL character)";
  }

  isChinese =
      std::string_view(document.child(kLocalElement).attribute(kLanguageAttribute).value()) ==
      kChineseLanguage;

  const pugi::xml_node usb = document.child(kUsbElement);
  vendorId = ReadHexInt32(usb.attribute(kVendorIdAttribute).value());
  productId = ReadHexInt32(usb.attribute(kProductIdAttribute).value());
  interfaceNumber = ReadHexInt32(usb.attribute(kInterfaceAttribute).value());
  collectionNumber = ReadHexInt32(usb.attribute(kCollectionAttribute).value());

  mediaKeys = ReadCatalogue(document.child(kMediaKeyElement));
  functionKeys = ReadCatalogue(document.child(kFunctionKeyElement));
  return {};
}

const AppConfig& AppConfig::Global() {
  static const AppConfig config = [] {
    GlobalState& state = TheGlobalState();
    std::filesystem::path file;
    {
      const std::lock_guard lock(state.mutex);
      state.created = true;
      file = state.file.value_or(DataDir() / PathFromUtf8(kConfigFileName));
    }
    // A missing or broken file leaves the defaults, which find no keyboard; the program still
    // starts, in English, with empty catalogues.
    AppConfig loaded;
    loaded.LoadFile(file);
    return loaded;
  }();
  return config;
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

}  // namespace keyloom::settings

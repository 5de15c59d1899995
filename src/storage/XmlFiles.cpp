#include "storage/XmlFiles.h"

namespace keyloom::storage::xml {

namespace {

class StringWriter : public pugi::xml_writer {
 public:
  explicit StringWriter(std::string& text) : text_(text) {}
  void write(const void* data, size_t size) override {
    text_.append(static_cast<const char*>(data), size);
  }

 private:
  std::string& text_;
};

std::size_t CodeUnitSize(pugi::xml_encoding encoding) {
  switch (encoding) {
    case pugi::encoding_utf16_le:
    case pugi::encoding_utf16_be:
      return 2;
    case pugi::encoding_utf32_le:
    case pugi::encoding_utf32_be:
      return 4;
    default:
      return 1;
  }
}

bool HasNulCharacter(std::string_view bytes, pugi::xml_encoding encoding) {
  const std::size_t unitSize = CodeUnitSize(encoding);
  for (std::size_t unit = 0; unit + unitSize <= bytes.size(); unit += unitSize) {
    if (bytes.substr(unit, unitSize).find_first_not_of('\0') == std::string_view::npos) {
      return true;
    }
  }
  return false;
}

}  // namespace

LoadResult Parse(pugi::xml_document& document, std::string_view bytes,
                 pugi::xml_encoding encoding) {
  LoadResult loaded;
  const pugi::xml_parse_result parsed =
      document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, encoding);
  if (!parsed) {
    loaded.status = LoadResult::Status::kMalformed;
    loaded.error = std::string("not well-formed XML (") + parsed.description() + " at byte " +
                   std::to_string(parsed.offset) + ")";
    return loaded;
  }
  if (HasNulCharacter(bytes, parsed.encoding)) {
    document.reset();
    loaded.status = LoadResult::Status::kMalformed;
    loaded.error = "not well-formed XML (a NUL character)";
    return loaded;
  }
  loaded.status = LoadResult::Status::kLoaded;
  return loaded;
}

std::string Write(const pugi::xml_document& document) {
  std::string text;
  StringWriter writer(text);
  document.save(writer, "\t", pugi::format_default, pugi::encoding_utf8);
  return text;
}

}  // namespace keyloom::storage::xml

#pragma once

#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "storage/LoadResult.h"

// How the program's own XML files (the macro library, the assignment store) are parsed and
// written.
namespace keyloom::storage::xml {

// Parses `bytes` with the parser's default options in `encoding`. kLoaded or kMalformed (with
// the parser's reason and the offset). A NUL character anywhere counts as malformed: the parser
// would take it for the end of the text and could hand back a document that has lost whatever
// followed.
[[nodiscard]] LoadResult Parse(pugi::xml_document& document, std::string_view bytes,
                               pugi::xml_encoding encoding);

// The document as the program writes its files: UTF-8 without a byte-order mark, one element
// per line, indented by one tab per level.
[[nodiscard]] std::string Write(const pugi::xml_document& document);

}  // namespace keyloom::storage::xml

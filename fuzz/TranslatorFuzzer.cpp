// Translation files on any bytes: the reader must never crash; a file it takes translates the
// source of its first item with that source to the item's target.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include <pugixml.hpp>

#include "QtFuzzSupport.h"
#include "ui/skin/Translator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pugi::xml_document document;
  if (!keyloom::fuzz::ParseInput(data, size, document)) {
    return 0;
  }
  keyloom::ui::Translator translator;
  const pugi::xml_node language = document.document_element();
  if (!translator.Load(language)) {
    return 0;
  }
  std::set<QString> seen;
  for (const pugi::xml_node item : language.children("item")) {
    const QString source = QString::fromUtf8(item.attribute("src").value());
    if (source.isEmpty() || !seen.insert(source).second) {
      continue;
    }
    const auto translated = translator.Translate(source);
    if (!translated || *translated != QString::fromUtf8(item.attribute("dst").value())) {
      std::abort();
    }
  }
  return 0;
}

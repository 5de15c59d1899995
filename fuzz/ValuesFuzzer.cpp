// The skin's value tables ("values:string", "values:color", "values:skin" and the style classes
// of the UI definition) on any bytes: each reader must never crash, and the strings table
// answers every named entry it took.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include <pugixml.hpp>

#include "QtFuzzSupport.h"
#include "ui/skin/ColorTable.h"
#include "ui/skin/SkinPool.h"
#include "ui/skin/StringTable.h"
#include "ui/skin/StyleTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace keyloom::ui;
  keyloom::fuzz::StartQt();
  pugi::xml_document document;
  if (!keyloom::fuzz::ParseInput(data, size, document)) {
    return 0;
  }
  const pugi::xml_node table = document.document_element();

  StringTable strings;
  strings.Load(table);
  for (int i = 0; i < strings.Count(); ++i) {
    if (!strings.At(i)) {
      std::abort();
    }
  }
  ColorTable colors;
  colors.Load(table);
  StyleTable styles;
  styles.Load(table);
  SkinPool skins;
  skins.Load(
      table, [](const QString&) { return std::shared_ptr<const Image>(); },
      [](const QString& value) { return value; });
  return 0;
}

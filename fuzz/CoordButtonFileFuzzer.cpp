// The key coordinate file's reader on any bytes: it must never crash; it makes one key for every
// element under `positions`, with id -1 where the file gives none; and a key's area, written
// back as "x,y,width,height", reads as the same area.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "controls/CoordButtonFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace keyloom::controls;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)ParseKeyColor(text, kDefaultKeyColor);
  (void)ParseKeyRect(text);

  pugi::xml_document document;
  if (!document.load_buffer(data, size)) {
    return 0;
  }
  const auto keys = ReadCoordButtons(document, kDefaultKeyColor);
  std::size_t elements = 0;
  for (const pugi::xml_node key : document.child("positions").children()) {
    if (key.type() != pugi::node_element) {
      continue;
    }
    const CoordButton& read = keys.at(elements++);
    if (!key.attribute("id") && read.id != -1) {
      std::abort();
    }
    if (!key.attribute("color") && read.color != kDefaultKeyColor) {
      std::abort();
    }
    const QRect& area = read.rect;
    const std::string written = std::to_string(area.x()) + "," + std::to_string(area.y()) + "," +
                                std::to_string(area.width()) + "," + std::to_string(area.height());
    if (ParseKeyRect(written) != area) {
      std::abort();
    }
  }
  if (elements != keys.size()) {
    std::abort();
  }
  return 0;
}

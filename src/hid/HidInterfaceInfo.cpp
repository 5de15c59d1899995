#include "hid/HidInterfaceInfo.h"

#include <cstdio>

namespace keyloom::hid {

std::string FormatGuidForTrace(const Guid& guid) {
  char tail[17] = {};
  for (std::size_t i = 0; i < guid.data4.size(); ++i) {
    std::snprintf(tail + 2 * i, 3, "%02x", static_cast<unsigned>(guid.data4[i]));
  }
  // The traces have always written the first part with "%04x": a value above 0xffff prints all of
  // its digits, so the text carries 8 of them for every real interface class.
  char text[50] = {};
  std::snprintf(text, sizeof text, "%04x-%02x-%02x-%s", static_cast<unsigned>(guid.data1),
                static_cast<unsigned>(guid.data2), static_cast<unsigned>(guid.data3), tail);
  return text;
}

}  // namespace keyloom::hid

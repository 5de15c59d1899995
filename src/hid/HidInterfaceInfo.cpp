#include "hid/HidInterfaceInfo.h"

#include "settings/HexText.h"

namespace keyloom::hid {

std::string FormatGuidForTrace(const Guid& guid) {
  // The traces have always written the first part with "%04x": a value above 0xffff prints all of
  // its digits, so the text carries 8 of them for every real interface class.
  return settings::HexNumber(guid.data1, 4) + '-' + settings::HexNumber(guid.data2, 2) + '-' +
         settings::HexNumber(guid.data3, 2) + '-' + settings::HexBytes(guid.data4);
}

}  // namespace keyloom::hid

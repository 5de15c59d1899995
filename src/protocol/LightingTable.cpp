#include "protocol/LightingTable.h"

namespace keyloom::protocol {

LightingTable::LightingTable() {
  for (int mode = 0; mode < kModeCount; ++mode) {
    (*this)[mode] = DefaultRecord(mode);
  }
}

LightingRecord LightingTable::DefaultRecord(int ledMode) {
  return ledMode == kUserAreaMode ? kDefaultUserAreaRecord : kDefaultRecord;
}

}  // namespace keyloom::protocol

#include "protocol/TracingTransport.h"

#include <string>

namespace keyloom::protocol {

bool TracingTransport::SetFeature(const hid::Report& report) {
  const bool ok = inner_.SetFeature(report);
  Trace("set", report, ok);
  return ok;
}

bool TracingTransport::GetFeature(hid::Report& report) {
  const bool ok = inner_.GetFeature(report);
  Trace("get", report, ok);
  return ok;
}

void TracingTransport::Trace(const char* direction, const hid::Report& report, bool ok) const {
  if (!sink_) {
    return;
  }
  static constexpr char kHexDigits[] = "0123456789abcdef";
  std::string line = direction;
  line += ' ';
  for (const std::uint8_t byte : report) {
    line += kHexDigits[byte >> 4];
    line += kHexDigits[byte & 0x0F];
  }
  line += ok ? " ok" : " fail";
  sink_(line);
}

}  // namespace keyloom::protocol

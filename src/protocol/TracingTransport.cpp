#include "protocol/TracingTransport.h"

#include <string>

#include "settings/HexText.h"

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
  std::string line = direction;
  line += ' ';
  line += settings::HexBytes(report);
  line += ok ? " ok" : " fail";
  sink_(line);
}

}  // namespace keyloom::protocol

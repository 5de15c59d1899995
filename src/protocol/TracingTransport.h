#pragma once

#include <utility>

#include "hid/Report.h"
#include "hid/Transport.h"
#include "protocol/TransferTrace.h"

namespace keyloom::protocol {

// Passes every transfer to the wrapped transport and then writes one line:
// "set <16 hex digits> ok|fail" or "get <16 hex digits> ok|fail", the digits being the eight
// bytes of the buffer after the transfer, lowercase, without spaces.
class TracingTransport : public hid::Transport {
 public:
  TracingTransport(hid::Transport& inner, TransferTraceSink sink)
      : inner_(inner), sink_(std::move(sink)) {}

  bool SetFeature(const hid::Report& report) override;
  bool GetFeature(hid::Report& report) override;

 private:
  void Trace(const char* direction, const hid::Report& report, bool ok) const;

  hid::Transport& inner_;
  TransferTraceSink sink_;
};

}  // namespace keyloom::protocol

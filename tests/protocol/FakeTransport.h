#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "hid/Report.h"
#include "hid/Transport.h"

namespace keyloom::protocol::testing {

// A transport that records every frame sent and answers reads from a script.
class FakeTransport : public hid::Transport {
 public:
  bool SetFeature(const hid::Report& report) override {
    sent.push_back(report);
    return !(reject && reject(report));
  }

  // Answers with the next scripted reply; with none left, the read fails and the buffer keeps
  // what the caller put there.
  bool GetFeature(hid::Report& report) override {
    if (replies.empty()) {
      return false;
    }
    report = replies.front();
    replies.pop_front();
    return true;
  }

  // Decides, per set transfer, whether the device rejects it.
  std::function<bool(const hid::Report&)> reject;
  std::deque<hid::Report> replies;
  std::vector<hid::Report> sent;
};

}  // namespace keyloom::protocol::testing

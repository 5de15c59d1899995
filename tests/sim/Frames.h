#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "hid/Report.h"
#include "hid/Transport.h"

namespace keyloom::sim::testing {

// A frame from its leading bytes; the rest are zero.
inline hid::Report Frame(std::initializer_list<std::uint8_t> bytes) {
  hid::Report report{};
  std::copy(bytes.begin(), bytes.end(), report.begin());
  return report;
}

using RecordBytes = std::array<std::uint8_t, 168>;

// A record whose bytes 0-3 are given and whose events are a press and release of `key`.
inline RecordBytes Record(std::uint8_t profile, std::uint8_t slot, std::uint8_t key,
                          std::uint8_t repeat = 1) {
  RecordBytes bytes{profile, slot, key, repeat, key, 0x54, key, 0xA8};
  bytes[167] = 0x5A;
  return bytes;
}

// Sends frames [from, to) of a record download, as the program does: the first with command F1,
// the others with 00, six record bytes each. Returns how many the device took.
inline int SendRecord(hid::Transport& transport, const RecordBytes& record, int from = 0,
                      int to = 28) {
  int taken = 0;
  for (int frame = from; frame < to; ++frame) {
    hid::Report report{0x07, static_cast<std::uint8_t>(frame == 0 ? 0xF1 : 0x00)};
    std::copy_n(record.begin() + 6 * frame, 6, report.begin() + 2);
    taken += transport.SetFeature(report) ? 1 : 0;
  }
  return taken;
}

// The four replies of a slot read (the request must have been sent).
inline std::vector<hid::Report> ReadReplies(hid::Transport& transport) {
  std::vector<hid::Report> replies;
  for (int i = 0; i < 4; ++i) {
    hid::Report report{0x07};
    transport.GetFeature(report);
    replies.push_back(report);
  }
  return replies;
}

}  // namespace keyloom::sim::testing

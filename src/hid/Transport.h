#pragma once

#include "hid/Report.h"

namespace keyloom::hid {

// Moves 8-byte feature reports to and from the keyboard. The protocol layer talks to the
// keyboard only through this interface; the real device, the simulated keyboard and the test
// doubles implement it.
class Transport {
 public:
  virtual ~Transport() = default;

  // Sends one feature report. True when the device accepted it.
  virtual bool SetFeature(const Report& report) = 0;

  // Fetches the feature report whose id the caller put into report[0] (bytes 1-7 zero). True
  // when the device answered; the answer then replaces the buffer. On failure the buffer is left
  // as the caller filled it.
  virtual bool GetFeature(Report& report) = 0;
};

}  // namespace keyloom::hid

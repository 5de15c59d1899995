#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <optional>

#include "UhidDevice.h"
#include "sim/SimulatedKeyboard.h"

namespace keyloom::e2e {

// The report descriptor of the virtual keyboard interface, three top-level collections:
//   1 Consumer Control (0x000c/0x0001), input report 3
//   2 vendor-defined   (0xff00/0x0001), feature report 7: the report id and seven data bytes
//   3 System Control   (0x0001/0x0080), input report 4
// so that a selector naming collection 2 finds the vendor collection, as on the real keyboard's
// second interface.
inline constexpr std::array<std::uint8_t, 69> kKeyboardReportDescriptor = {
    0x05, 0x0c,        // Usage Page (Consumer)
    0x09, 0x01,        // Usage (Consumer Control)
    0xa1, 0x01,        // Collection (Application)
    0x85, 0x03,        //   Report ID (3)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xff, 0x03,  //   Logical Maximum (1023)
    0x19, 0x00,        //   Usage Minimum (0)
    0x2a, 0xff, 0x03,  //   Usage Maximum (1023)
    0x75, 0x10,        //   Report Size (16)
    0x95, 0x01,        //   Report Count (1)
    0x81, 0x00,        //   Input (Data, Array, Absolute)
    0xc0,              // End Collection
    0x06, 0x00, 0xff,  // Usage Page (Vendor-defined 0xff00)
    0x09, 0x01,        // Usage (1)
    0xa1, 0x01,        // Collection (Application)
    0x85, 0x07,        //   Report ID (7)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xff, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x07,        //   Report Count (7)
    0x09, 0x02,        //   Usage (2)
    0xb1, 0x02,        //   Feature (Data, Variable, Absolute)
    0xc0,              // End Collection
    0x05, 0x01,        // Usage Page (Generic Desktop)
    0x09, 0x80,        // Usage (System Control)
    0xa1, 0x01,        // Collection (Application)
    0x85, 0x04,        //   Report ID (4)
    0x19, 0x81,        //   Usage Minimum (System Power Down)
    0x29, 0x83,        //   Usage Maximum (System Wake Up)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x01,        //   Report Count (1)
    0x81, 0x00,        //   Input (Data, Array, Absolute)
    0xc0,              // End Collection
};

// Presents the simulated keyboard to the kernel as a USB HID interface through uhid: feature
// report 7 requests (HIDIOCSFEATURE/HIDIOCGFEATURE on its hidraw node) go to the simulated
// keyboard's SetFeature/GetFeature, and its answer goes back as the reply. Every other request is
// refused with EIO, as a keyboard stalls a report it does not have.
//
// It can unplug itself in the middle of a record download and come back later, to show what the
// program does when the keyboard goes away under it, and cut a reply short.
class UhidKeyboard {
 public:
  struct Counts {
    int setReports = 0;
    int getReports = 0;
    int refused = 0;  // requests answered with an error
    int unplugs = 0;
  };

  UhidKeyboard(sim::SimulatedKeyboard& keyboard, UhidDevice& device, UhidIdentity identity,
               std::ostream& log);

  // Creates the device. False when the kernel refused it.
  bool PlugIn();

  // Waits at most `timeout` for one request of the kernel and answers it; plugs the device in
  // again when its time has come. False when the device failed (see the device's error()).
  bool Serve(std::chrono::milliseconds timeout);

  // From now on, the device is removed when frame `frame` (1-28) of a record download arrives,
  // before that frame is answered, as if the cable were pulled during the transfer; it comes
  // back `delay` later. Once.
  void ArmUnplugDuringDownload(int frame, std::chrono::milliseconds delay);

  // The next feature report read is answered with only its first seven bytes and no error, as a
  // device whose reply falls short. Once.
  void ArmShortReply() { shortReply_ = true; }

  [[nodiscard]] const Counts& counts() const { return counts_; }

 private:
  using Clock = std::chrono::steady_clock;

  void AnswerGetReport(const uhid_get_report_req& request);
  void AnswerSetReport(const uhid_set_report_req& request);
  void Unplug();

  sim::SimulatedKeyboard& keyboard_;
  UhidDevice& device_;
  UhidIdentity identity_;
  std::ostream& log_;
  Counts counts_;
  std::optional<int> unplugAtFrame_;
  std::chrono::milliseconds replugDelay_{0};
  std::optional<Clock::time_point> replugAt_;
  int downloadFrame_ = 0;  // frames of the current record download so far, 0 outside one
  bool shortReply_ = false;
  bool failed_ = false;
};

}  // namespace keyloom::e2e

#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include <linux/uhid.h>

namespace keyloom::e2e {

// What a virtual HID device shows the kernel when it is created.
struct UhidIdentity {
  std::string name;  // HID_NAME
  std::string phys;  // HID_PHYS; "/inputN" at its end is the USB interface number
  std::string uniq;  // HID_UNIQ
  std::uint16_t bus = 0;
  std::uint32_t vendorId = 0;
  std::uint32_t productId = 0;
  std::uint32_t version = 0;
};

// The character device /dev/uhid: one open file is one virtual HID device, created and destroyed
// with the calls below. Closing the file destroys the device. Owns the file descriptor.
class UhidDevice {
 public:
  UhidDevice() = default;
  ~UhidDevice();
  UhidDevice(const UhidDevice&) = delete;
  UhidDevice& operator=(const UhidDevice&) = delete;

  // Opens /dev/uhid (or `path`). False with errno's text in error() when it cannot be opened.
  bool Open(const std::string& path = "/dev/uhid");

  // UHID_CREATE2: the kernel registers the device and binds a HID driver (and hidraw) to it
  // asynchronously; UHID_START arrives once the driver started it.
  bool Create(const UhidIdentity& identity, std::span<const std::uint8_t> reportDescriptor);
  // UHID_DESTROY: removes the device; requests still waiting for a reply fail in the kernel.
  bool Destroy();
  [[nodiscard]] bool created() const { return created_; }

  // The next event from the kernel, waiting at most `timeout`; nullopt when none came (or the
  // read failed, see error()).
  std::optional<uhid_event> NextEvent(std::chrono::milliseconds timeout);

  // Answers a UHID_GET_REPORT with `error` (0 or an errno) and, on success, `data`.
  bool ReplyGetReport(std::uint32_t id, std::uint16_t error, std::span<const std::uint8_t> data);
  // Answers a UHID_SET_REPORT with `error` (0 or an errno).
  bool ReplySetReport(std::uint32_t id, std::uint16_t error);

  [[nodiscard]] int fd() const { return fd_; }
  [[nodiscard]] const std::string& error() const { return error_; }

 private:
  bool Write(const uhid_event& event);

  int fd_ = -1;
  bool created_ = false;
  std::string error_;
};

}  // namespace keyloom::e2e

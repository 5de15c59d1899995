#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "UhidDevice.h"

namespace keyloom::e2e {

namespace {

template <std::size_t N>
void CopyText(std::uint8_t (&field)[N], const std::string& text) {
  const std::size_t length = std::min(text.size(), N - 1);
  std::memcpy(field, text.data(), length);
  field[length] = '\0';
}

}  // namespace

UhidDevice::~UhidDevice() {
  if (fd_ >= 0) {
    close(fd_);
  }
}

bool UhidDevice::Open(const std::string& path) {
  fd_ = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) {
    error_ = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool UhidDevice::Create(const UhidIdentity& identity,
                        std::span<const std::uint8_t> reportDescriptor) {
  uhid_event event{};
  event.type = UHID_CREATE2;
  auto& request = event.u.create2;
  if (reportDescriptor.size() > sizeof request.rd_data) {
    error_ = "report descriptor too long";
    return false;
  }
  CopyText(request.name, identity.name);
  CopyText(request.phys, identity.phys);
  CopyText(request.uniq, identity.uniq);
  request.rd_size = static_cast<std::uint16_t>(reportDescriptor.size());
  request.bus = identity.bus;
  request.vendor = identity.vendorId;
  request.product = identity.productId;
  request.version = identity.version;
  std::copy(reportDescriptor.begin(), reportDescriptor.end(), request.rd_data);
  created_ = Write(event);
  return created_;
}

bool UhidDevice::Destroy() {
  uhid_event event{};
  event.type = UHID_DESTROY;
  const bool done = Write(event);
  created_ = created_ && !done;
  return done;
}

std::optional<uhid_event> UhidDevice::NextEvent(std::chrono::milliseconds timeout) {
  pollfd wanted{fd_, POLLIN, 0};
  const int ready = poll(&wanted, 1, static_cast<int>(timeout.count()));
  if (ready <= 0) {
    if (ready < 0 && errno != EINTR) {
      error_ = std::string("poll: ") + std::strerror(errno);
    }
    return std::nullopt;
  }
  uhid_event event{};
  const ssize_t got = read(fd_, &event, sizeof event);
  if (got < 0) {
    if (errno != EAGAIN && errno != EINTR) {
      error_ = std::string("read: ") + std::strerror(errno);
    }
    return std::nullopt;
  }
  return event;
}

bool UhidDevice::ReplyGetReport(std::uint32_t id, std::uint16_t error,
                                std::span<const std::uint8_t> data) {
  uhid_event event{};
  event.type = UHID_GET_REPORT_REPLY;
  auto& reply = event.u.get_report_reply;
  reply.id = id;
  reply.err = error;
  if (error == 0) {
    const std::size_t size = std::min(data.size(), sizeof reply.data);
    std::copy_n(data.begin(), size, reply.data);
    reply.size = static_cast<std::uint16_t>(size);
  }
  return Write(event);
}

bool UhidDevice::ReplySetReport(std::uint32_t id, std::uint16_t error) {
  uhid_event event{};
  event.type = UHID_SET_REPORT_REPLY;
  event.u.set_report_reply.id = id;
  event.u.set_report_reply.err = error;
  return Write(event);
}

bool UhidDevice::Write(const uhid_event& event) {
  ssize_t written = 0;
  do {
    written = write(fd_, &event, sizeof event);
  } while (written < 0 && errno == EINTR);
  if (written != static_cast<ssize_t>(sizeof event)) {
    error_ = std::string("write: ") + (written < 0 ? std::strerror(errno) : "short write");
    return false;
  }
  return true;
}

}  // namespace keyloom::e2e

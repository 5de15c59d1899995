#include <algorithm>
#include <cerrno>
#include <ostream>
#include <span>
#include <utility>

#include "UhidKeyboard.h"
#include "hid/Report.h"
#include "protocol/CommandSet.h"

namespace keyloom::e2e {

namespace {

constexpr std::size_t kCommandByte = 1;
constexpr int kRecordFrames = 28;

}  // namespace

UhidKeyboard::UhidKeyboard(sim::SimulatedKeyboard& keyboard, UhidDevice& device,
                           UhidIdentity identity, std::ostream& log)
    : keyboard_(keyboard), device_(device), identity_(std::move(identity)), log_(log) {}

bool UhidKeyboard::PlugIn() {
  if (!device_.Create(identity_, kKeyboardReportDescriptor)) {
    log_ << "uhid: create failed: " << device_.error() << std::endl;
    return false;
  }
  keyboard_.SetPlugged(true);
  return true;
}

bool UhidKeyboard::Serve(std::chrono::milliseconds timeout) {
  if (replugAt_) {
    const auto now = Clock::now();
    if (now >= *replugAt_) {
      replugAt_.reset();
      log_ << "uhid: plugged in again" << std::endl;
      return PlugIn();
    }
    timeout = std::min(timeout, std::chrono::ceil<std::chrono::milliseconds>(*replugAt_ - now));
  }
  const auto event = device_.NextEvent(timeout);
  if (!event) {
    return device_.error().empty();
  }
  switch (event->type) {
    case UHID_GET_REPORT:
      AnswerGetReport(event->u.get_report);
      break;
    case UHID_SET_REPORT:
      AnswerSetReport(event->u.set_report);
      break;
    default:
      // UHID_START, UHID_STOP, UHID_OPEN, UHID_CLOSE and output reports need no answer.
      break;
  }
  return !failed_;
}

void UhidKeyboard::ArmUnplugDuringDownload(int frame, std::chrono::milliseconds delay) {
  unplugAtFrame_ = std::clamp(frame, 1, kRecordFrames);
  replugDelay_ = delay;
}

void UhidKeyboard::AnswerGetReport(const uhid_get_report_req& request) {
  ++counts_.getReports;
  hid::Report report{};
  report[0] = static_cast<std::uint8_t>(request.rnum);
  const bool ok = request.rtype == UHID_FEATURE_REPORT && request.rnum == protocol::kReportId &&
                  keyboard_.GetFeature(report);
  if (!ok) {
    ++counts_.refused;
  }
  std::span<const std::uint8_t> reply(report);
  if (ok && shortReply_) {
    shortReply_ = false;
    reply = reply.first(hid::kReportSize - 1);
    log_ << "uhid: answered a read with " << reply.size() << " bytes" << std::endl;
  }
  failed_ = !device_.ReplyGetReport(request.id, ok ? 0 : EIO, reply) || failed_;
}

void UhidKeyboard::AnswerSetReport(const uhid_set_report_req& request) {
  ++counts_.setReports;
  const bool feature = request.rtype == UHID_FEATURE_REPORT && request.size == hid::kReportSize;
  hid::Report report{};
  std::copy_n(request.data, std::min<std::size_t>(request.size, hid::kReportSize), report.begin());

  if (feature && report[kCommandByte] == protocol::kCommandWriteKeyRecord) {
    downloadFrame_ = 1;
  } else if (feature && downloadFrame_ > 0 && report[kCommandByte] == protocol::kNoCommand) {
    ++downloadFrame_;
  } else {
    downloadFrame_ = 0;
  }
  if (unplugAtFrame_ && downloadFrame_ == *unplugAtFrame_) {
    log_ << "uhid: unplugged at frame " << downloadFrame_ << " of a record download" << std::endl;
    Unplug();
    return;
  }
  if (downloadFrame_ == kRecordFrames) {
    downloadFrame_ = 0;
  }

  const bool ok = feature && keyboard_.SetFeature(report);
  if (!ok) {
    ++counts_.refused;
  }
  failed_ = !device_.ReplySetReport(request.id, ok ? 0 : EIO) || failed_;
}

void UhidKeyboard::Unplug() {
  ++counts_.unplugs;
  unplugAtFrame_.reset();
  downloadFrame_ = 0;
  keyboard_.SetPlugged(false);
  failed_ = !device_.Destroy() || failed_;
  replugAt_ = Clock::now() + replugDelay_;
}

}  // namespace keyloom::e2e

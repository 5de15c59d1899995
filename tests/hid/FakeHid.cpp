#include "FakeHid.h"

#include <cerrno>

namespace keyloom::hid::test {
namespace {

class FakeHandle final : public HidHandle {
 public:
  FakeHandle(EventLog& log, FakeBackend& backend, std::string name)
      : log_(log), backend_(backend), name_(std::move(name)) {}
  ~FakeHandle() override { log_.events.push_back("close " + name_); }

  FakeHandle(const FakeHandle&) = delete;
  FakeHandle& operator=(const FakeHandle&) = delete;

  bool SetFeature(const Report&) override {
    log_.events.push_back("set " + name_);
    ++backend_.setCount;
    return backend_.transfersSucceed;
  }
  bool GetFeature(Report& report) override {
    log_.events.push_back("get " + name_);
    if (!backend_.transfersSucceed) {
      return false;
    }
    report = backend_.getReply;
    return true;
  }

 private:
  EventLog& log_;
  FakeBackend& backend_;
  std::string name_;
};

}  // namespace

std::vector<HidInterfaceInfo> FakeBackend::FindInterfaces(const DeviceSelector& selector,
                                                          const DiagnosticTrace& trace) {
  log_.events.emplace_back("find");
  selectors.push_back(selector);
  if (trace) {
    trace("discovery ran");
  }
  return interfaces;
}

OpenResult FakeBackend::OpenPath(const std::string& path) {
  log_.events.push_back("open " + path);
  OpenResult result;
  if (failingPaths.contains(path)) {
    result.error = OpenError::kAccessDenied;
    result.nativeError = EACCES;
    return result;
  }
  ++opened_;
  result.handle = std::make_unique<FakeHandle>(log_, *this, "h" + std::to_string(opened_));
  result.traceValue = opened_ + 2;
  return result;
}

}  // namespace keyloom::hid::test

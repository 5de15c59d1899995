#include "autoprofile/FocusSwitcher.h"

#include <cstdio>
#include <utility>

namespace keyloom::autoprofile {

namespace {

// `text` in double quotes, with quotes, backslashes and control characters escaped.
std::string Quoted(const std::string& text) {
  constexpr unsigned char kFirstPrintable = 0x20;
  constexpr unsigned char kDelete = 0x7f;
  std::string quoted = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (byte < kFirstPrintable || byte == kDelete) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", byte);
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  quoted += '"';
  return quoted;
}

std::string WhatHappens(const FocusDecision& decision) {
  using Kind = FocusDecision::Kind;
  const std::string profile = std::to_string(decision.profile);
  switch (decision.kind) {
    case Kind::kNothingPending:
      return "nothing changed";
    case Kind::kWait:
      return "not settled";
    case Kind::kOwnWindow:
      return "own window, nothing changes";
    case Kind::kSameApplication:
      return "same application, nothing changes";
    case Kind::kSwitchingOff:
      return "switching is off";
    case Kind::kLeftAsItIs:
      return "no rule, profile left as it is";
    case Kind::kAlreadySelected:
      return "profile " + profile + " is selected already";
    case Kind::kSelect:
      return "select profile " + profile;
  }
  return {};
}

}  // namespace

FocusSwitcher::FocusSwitcher(const protocol::Clock& clock, std::chrono::milliseconds settleTime)
    : clock_(clock), settleTime_(settleTime) {}

std::chrono::milliseconds FocusSwitcher::FocusChanged(const FocusedWindow& window) {
  pending_ = window;
  changedAtMs_ = clock_.NowMs();
  return settleTime_;
}

FocusDecision FocusSwitcher::Settle(const AutoProfileRules& rules, int selectedProfile) {
  FocusDecision decision;
  if (!pending_) {
    return decision;
  }
  decision.window = *pending_;
  const std::int64_t settledAtMs = changedAtMs_ + settleTime_.count();
  if (const std::int64_t nowMs = clock_.NowMs(); nowMs < settledAtMs) {
    decision.kind = FocusDecision::Kind::kWait;
    decision.wait = std::chrono::milliseconds(settledAtMs - nowMs);
    return decision;
  }
  pending_.reset();
  if (decision.window.ownProgram) {
    decision.kind = FocusDecision::Kind::kOwnWindow;
    return decision;
  }
  if (application_ && application_->SameApplication(decision.window)) {
    decision.kind = FocusDecision::Kind::kSameApplication;
    return decision;
  }
  application_ = decision.window;
  if (!rules.enabled) {
    decision.kind = FocusDecision::Kind::kSwitchingOff;
    return decision;
  }
  const std::optional<int> wanted = rules.WantedProfile(decision.window);
  if (!wanted) {
    decision.kind = FocusDecision::Kind::kLeftAsItIs;
    return decision;
  }
  decision.profile = *wanted;
  decision.kind = *wanted == selectedProfile ? FocusDecision::Kind::kAlreadySelected
                                             : FocusDecision::Kind::kSelect;
  return decision;
}

std::string DescribeDecision(const FocusDecision& decision) {
  const FocusedWindow& window = decision.window;
  std::string line = "focus ";
  if (window.none) {
    line += "none";
  } else {
    line += Quoted(window.instance) + " " + Quoted(window.windowClass) + " " +
            Quoted(window.executable);
  }
  return line + ": " + WhatHappens(decision);
}

}  // namespace keyloom::autoprofile

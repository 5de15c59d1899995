#include "app/AutoProfileSwitching.h"

#include <utility>

namespace keyloom::app {

AutoProfileSwitching::AutoProfileSwitching(autoprofile::FocusWatch watch,
                                           std::filesystem::path rulesFile,
                                           const protocol::Clock& clock, Hooks hooks)
    : watcher_(std::move(watch.watcher)),
      limit_(watch.limit),
      file_(std::move(rulesFile)),
      switcher_(clock),
      hooks_(std::move(hooks)) {
  ReadRules();
  if (watch.limit && file_.rules().enabled) {
    const char* text = autoprofile::FocusWatchLimitText(*watch.limit);
    hooks_.note(text);
    hooks_.tell(text);
  }
  if (!watcher_) {
    return;
  }
  settleTimer_.setSingleShot(true);
  QObject::connect(&settleTimer_, &QTimer::timeout, [this] { Settle(); });
  notifier_ = std::make_unique<QSocketNotifier>(watcher_->fd(), QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { TakeEvents(); });
  Trace("focus watching");
}

std::vector<autoprofile::FocusedWindow> AutoProfileSwitching::Windows() const {
  return watcher_ ? watcher_->Windows() : std::vector<autoprofile::FocusedWindow>();
}

void AutoProfileSwitching::TakeEvents() {
  // Asking which window is active may leave new events queued without the descriptor becoming
  // readable again, so the events are taken until none reports a change.
  for (;;) {
    const autoprofile::FocusWatcher::Events events = watcher_->TakeEvents();
    if (events.lost) {
      notifier_->setEnabled(false);
      settleTimer_.stop();
      Trace("focus watch lost: the display is gone");
      return;
    }
    if (!events.focusChanged) {
      return;
    }
    settleTimer_.start(switcher_.FocusChanged(watcher_->ActiveWindow()));
  }
}

void AutoProfileSwitching::Settle() {
  if (hooks_.busy()) {
    settleTimer_.start(autoprofile::FocusSwitcher::kSettleTime);
    return;
  }
  ReadRules();
  const autoprofile::FocusDecision decision =
      switcher_.Settle(file_.rules(), hooks_.selectedProfile());
  if (decision.kind == autoprofile::FocusDecision::Kind::kNothingPending) {
    return;
  }
  if (decision.kind == autoprofile::FocusDecision::Kind::kWait) {
    settleTimer_.start(decision.wait);
    return;
  }
  Trace(autoprofile::DescribeDecision(decision));
  if (decision.kind == autoprofile::FocusDecision::Kind::kSelect) {
    hooks_.select(decision.profile);
  }
}

void AutoProfileSwitching::ReadRules() {
  const autoprofile::AutoProfileFile::ReadReport report = file_.Refresh();
  if (report.ok() || report.file.problem == toldProblem_) {
    return;
  }
  toldProblem_ = report.file.problem;
  hooks_.note(report.file.problem);
  if (report.partlyRead) {
    hooks_.tell(kRulesPartlyReadText);
  } else {
    hooks_.tell(report.file.keptAs ? kRulesKeptAsideText : kRulesLeftInPlaceText);
  }
}

void AutoProfileSwitching::Trace(std::string_view line) const {
  if (hooks_.trace) {
    hooks_.trace(line);
  }
}

}  // namespace keyloom::app

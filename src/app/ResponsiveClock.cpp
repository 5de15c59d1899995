#include "app/ResponsiveClock.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <algorithm>

#include "protocol/PreciseSleep.h"

namespace keyloom::app {

namespace {

// The end of a pause that is slept rather than spent in the event loop: the loop's timer is
// precise to the millisecond, and an event handled near the end must not make the pause late.
constexpr std::chrono::milliseconds kSleptEnd{2};
// Pauses shorter than this are slept whole.
constexpr std::chrono::milliseconds kShortestLivePause{4};

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
      return true;
    default:
      return false;
  }
}

bool UsableWhileBusy(const QObject* watched) {
  for (const QObject* object = watched; object != nullptr; object = object->parent()) {
    if (object->property(ResponsiveClock::kUsableWhileBusy).toBool()) {
      return true;
    }
  }
  return false;
}

}  // namespace

ResponsiveClock::ResponsiveClock() : start_(std::chrono::steady_clock::now()) {
  idle_.setSingleShot(true);
  idle_.setInterval(0);
  connect(&idle_, &QTimer::timeout, this, [this] {
    if (!Pausing() && holds_ == 0) {
      RunWaiting();
    }
  });
}

ResponsiveClock::~ResponsiveClock() {
  if (busy_ && QCoreApplication::instance() != nullptr) {
    SetBusy(false);
  }
}

void ResponsiveClock::Pause(std::chrono::milliseconds duration) {
  const auto deadline = std::chrono::steady_clock::now() + duration;
  if (duration >= kShortestLivePause) {
    SetBusy(true);
    ++pausing_;
    QEventLoop loop;
    QTimer end;
    end.setSingleShot(true);
    end.setTimerType(Qt::PreciseTimer);
    connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
    end.start(duration - kSleptEnd);
    loop.exec();
    --pausing_;
    idle_.start();
  }
  protocol::SleepUntil(deadline);
}

std::int64_t ResponsiveClock::NowMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start_)
      .count();
}

ResponsiveClock::Hold::Hold(ResponsiveClock* clock) : clock_(clock) {
  if (clock_ != nullptr) {
    ++clock_->holds_;
    clock_->SetBusy(true);
  }
}

ResponsiveClock::Hold::~Hold() {
  if (clock_ != nullptr && --clock_->holds_ == 0) {
    clock_->idle_.start();
  }
}

void ResponsiveClock::RunWhenIdle(const void* key, std::function<void()> work) {
  if (!busy_) {
    work();
    return;
  }
  const auto same = std::find_if(waiting_.begin(), waiting_.end(),
                                 [key](const auto& entry) { return entry.first == key; });
  if (same != waiting_.end()) {
    same->second = std::move(work);
  } else {
    waiting_.emplace_back(key, std::move(work));
  }
}

bool ResponsiveClock::eventFilter(QObject* watched, QEvent* event) {
  // Every event of the program passes here while it is busy: the parents are asked only about
  // the few that it holds back.
  const bool close = event->type() == QEvent::Close;
  if (!busy_ || !watched->isWidgetType() || (!close && !IsUserInput(event->type())) ||
      UsableWhileBusy(watched)) {
    return QObject::eventFilter(watched, event);
  }
  if (close) {
    // A window closed meanwhile (by the user, or by the tray's Exit) closes afterwards.
    RunWhenIdle(watched, [widget = QPointer<QWidget>(qobject_cast<QWidget*>(watched))] {
      if (widget != nullptr) {
        widget->close();
      }
    });
  }
  event->ignore();
  return true;
}

void ResponsiveClock::SetBusy(bool busy) {
  if (busy == busy_) {
    return;
  }
  busy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    QCoreApplication::instance()->installEventFilter(this);
  } else {
    QCoreApplication::instance()->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
  }
}

void ResponsiveClock::RunWaiting() {
  SetBusy(false);
  auto waiting = std::exchange(waiting_, {});
  for (auto& [key, work] : waiting) {
    work();
  }
}

}  // namespace keyloom::app

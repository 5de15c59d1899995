#include <QTest>
#include <array>
#include <memory>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "MainWindowFixture.h"
#include "app/DeviceChangeNotifier.h"
#include "app/Language.h"

namespace keyloom::app {
namespace {

using test::Lines;
using test::MainWindowUnderTest;

// A device monitor whose changes are bytes written into a pipe.
class PipeMonitor final : public hid::DeviceMonitor {
 public:
  PipeMonitor() {
    if (pipe(ends_.data()) != 0) {
      qFatal("no pipe");
    }
    fcntl(ends_[0], F_SETFL, fcntl(ends_[0], F_GETFL) | O_NONBLOCK);
  }
  ~PipeMonitor() override {
    close(ends_[0]);
    close(ends_[1]);
  }

  [[nodiscard]] int fd() const override { return ends_[0]; }
  int DrainEvents() override {
    char buffer[64];
    int count = 0;
    for (ssize_t got; (got = read(ends_[0], buffer, sizeof buffer)) > 0;) {
      count += static_cast<int>(got);
    }
    return count;
  }

  // Announces `count` changes.
  void Change(int count) {
    const std::string bytes(static_cast<std::size_t>(count), 'c');
    QVERIFY(write(ends_[1], bytes.data(), bytes.size()) == count);
  }

 private:
  std::array<int, 2> ends_{};
};

class DeviceChangeNotifierTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // The monitor's changes reach the window in the event loop, each one the whole sequence of a
  // device change.
  void everyMonitoredChangeReachesTheWindow() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    MainWindowUnderTest main;
    (void)main.TakeTrace();
    auto monitor = std::make_unique<PipeMonitor>();
    PipeMonitor& changes = *monitor;
    DeviceChangeNotifier notifier(std::move(monitor), [&main] { main.window().OnDeviceChange(); });

    changes.Change(2);

    const test::TraceLines once = Lines({test::SelectProfileLines(1), test::SlotReadLines()});
    test::TraceLines trace;
    const auto collect = [&main, &trace] {
      const test::TraceLines more = main.TakeTrace();
      trace.insert(trace.end(), more.begin(), more.end());
      return trace.size();
    };
    QTRY_COMPARE(collect(), 2 * once.size());
    QCOMPARE(trace, Lines({once, once}));
    // Nothing is left pending.
    QTest::qWait(50);
    QVERIFY(main.TakeTrace().empty());
  }
};

}  // namespace
}  // namespace keyloom::app

QTEST_MAIN(keyloom::app::DeviceChangeNotifierTest)
#include "DeviceChangeNotifierTest_linux.moc"

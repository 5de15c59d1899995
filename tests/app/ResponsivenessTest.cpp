// The window through the keyboard's pauses, on the real clock, as keyloom runs: it repaints,
// drops the clicks that would start another command, and puts a device change off until the
// sequence is over; the frames are those of a run on the virtual clock.
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QTest>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "MainWindowFixture.h"
#include "app/Language.h"
#include "app/ResponsiveClock.h"
#include "controls/CoordButtonImage.h"
#include "ui/host/SHostDialog.h"
#include "ui/host/SMessageBox.h"

namespace keyloom::app {
namespace {

using test::Lines;
using test::MainWindowUnderTest;
using test::SelectProfileLines;
using test::SlotReadLines;

constexpr std::uint8_t kF5 = 0x3E;

// Counts the paint events of every widget while the clock pauses.
class PaintsWhilePausing : public QObject {
 public:
  explicit PaintsWhilePausing(const ResponsiveClock& clock) : clock_(clock) {
    qApp->installEventFilter(this);
  }
  ~PaintsWhilePausing() override { qApp->removeEventFilter(this); }
  [[nodiscard]] int Count() const { return count_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && clock_.Pausing()) {
      ++count_;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  const ResponsiveClock& clock_;
  int count_ = 0;
};

}  // namespace

class ResponsivenessTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // The restore's 850 ms of pauses: the picture asks for a repaint every 20 ms, and 300 ms in
  // the user clicks F5 and the keyboard is plugged in again. The window repaints, says what it
  // does, opens no dialog, shows the busy cursor, and reads the keyboard again after the restore,
  // not within it.
  void aFactoryRestoreKeepsTheWindowAliveAndAlone() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    ResponsiveClock clock;
    MainWindowUnderTest::Options options;
    options.clock = &clock;
    MainWindowUnderTest main(options);
    QVERIFY(main.ShowAndWait());
    (void)main.TakeTrace();
    controls::CoordButtonImage& picture = *main.window().GetKeyboardPicture();
    QPoint f5;
    for (const controls::CoordButton& key : picture.GetButtons()) {
      if (key.id == kF5) {
        f5 = picture.PictureToControl(key.rect).center().toPoint();
      }
    }
    int dialogs = 0;
    const ui::SHostDialog::ExecHook previous =
        ui::SHostDialog::SetExecHook([&dialogs](ui::SHostDialog& dialog) {
          ++dialogs;
          dialog.EndDialog(ui::SMessageBox::kIdCancel);
        });
    PaintsWhilePausing paints(clock);
    QTimer repaint;
    connect(&repaint, &QTimer::timeout, &picture, qOverload<>(&QWidget::update));
    repaint.start(20);
    bool busyCursor = false;
    QStringList told;
    QTimer midway;
    midway.setSingleShot(true);
    connect(&midway, &QTimer::timeout, this, [&] {
      QTest::mouseClick(&picture, Qt::LeftButton, Qt::NoModifier, f5);
      main.window().OnDeviceChange();
      told = main.Messages();
      busyCursor = QApplication::overrideCursor() != nullptr &&
                   QApplication::overrideCursor()->shape() == Qt::BusyCursor;
    });
    midway.start(300);
    ui::SMessageBox::SetNextAnswer(ui::SMessageBox::kIdOk);

    main.window().FindChildByName(QStringLiteral("btn_restore_factory"))->FireCommand();
    const test::TraceLines restore = main.TakeTrace();
    QTRY_VERIFY(!clock.Busy());
    ui::SHostDialog::SetExecHook(previous);

    QCOMPARE(restore,
             Lines({{"pause 50", "set 07f0aa0000000000 ok", "pause 800"}, SlotReadLines()}));
    QCOMPARE(main.TakeTrace(), Lines({SelectProfileLines(1), SlotReadLines()}));
    QVERIFY2(paints.Count() >= 10, qPrintable(QString::number(paints.Count())));
    QCOMPARE(dialogs, 0);
    QVERIFY(busyCursor);
    QCOMPARE(told, QStringList{QStringLiteral("Restoring the factory settings…")});
    QCOMPARE(main.Messages(),
             QStringList{QStringLiteral("The keyboard is back to its factory settings")});
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }
};

}  // namespace keyloom::app

QTEST_MAIN(keyloom::app::ResponsivenessTest)
#include "ResponsivenessTest.moc"

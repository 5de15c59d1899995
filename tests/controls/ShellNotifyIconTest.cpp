#include <QTest>
#include <memory>

#include "ControlsTestSupport.h"
#include "UiTestSupport.h"
#include "controls/SShellNotifyIcon.h"
#include "controls/TrayText.h"
#include "ui/events/EventIds.h"
#include "ui/host/PopupMenu.h"

namespace keyloom::controls {

namespace {

// Six icons, so that an animation from frame 1 has the four frames it needs.
const QString kSixIcons =
    QStringLiteral("ICON:frame0;ICON:frame1;ICON:frame2;ICON:frame0;ICON:frame1;ICON:frame2");

}  // namespace

class ShellNotifyIconTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    app_ = test::MakeApplication();
    host_ = std::make_unique<test::RecordingHost>(QStringLiteral("LAYOUT:tray"));
    QVERIFY(host_->Create());
    host_->show();
    QVERIFY(QTest::qWaitForWindowExposed(host_.get()));
    tray_ = host_->FindChildByID2<SShellNotifyIcon>(110);
    QVERIFY(tray_ != nullptr);
  }
  void cleanup() {
    ui::PopupMenu::ClearNextChoice();
    host_.reset();
    ui::test::DeleteDestroyedControls();
    app_.reset();
  }

  void trayTextsAreCutToTheShellsLimits_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("expected");
    const QString tip127(127, QLatin1Char('t'));
    const QString balloon255(255, QLatin1Char('b'));
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
    QTest::newRow("empty") << QString() << kMaxTipLength << QString();
    QTest::newRow("tip of 127 in full") << tip127 << kMaxTipLength << tip127;
    QTest::newRow("tip of 128 cut") << tip127 + "x" << kMaxTipLength << tip127;
    QTest::newRow("balloon of 255 in full") << balloon255 << kMaxBalloonLength << balloon255;
    QTest::newRow("balloon of 300 cut")
        << balloon255 + QString(45, QLatin1Char('x')) << kMaxBalloonLength << balloon255;
    QTest::newRow("no half surrogate pair") << QString(126, QLatin1Char('t')) + smile
                                            << kMaxTipLength << QString(126, QLatin1Char('t'));
    QTest::newRow("a whole pair that fits")
        << QString(125, QLatin1Char('t')) + smile + "x" << kMaxTipLength
        << QString(125, QLatin1Char('t')) + smile;
  }
  void trayTextsAreCutToTheShellsLimits() {
    QFETCH(QString, text);
    QFETCH(int, limit);
    QFETCH(QString, expected);
    QCOMPARE(CutTrayText(text, limit), expected);
  }

  void theLayoutsAttributesMakeTheIcon() {
    QVERIFY(tray_->IsIconCreated());
    QVERIFY(tray_->IsIconVisible());
    QVERIFY(tray_->IsClass("window"));
    // One name of four does not load.
    QCOMPARE(tray_->GetIconCount(), 3);
    // deficoidx 7 is beyond the icons: the first is shown.
    QCOMPARE(tray_->GetDefaultIndex(), 0);
    QCOMPARE(tray_->GetShownIconIndex(), 0);
    QCOMPARE(tray_->GetTip(), QStringLiteral("Keyloom tray"));
    QCOMPARE(tray_->GetMenuKind(), ui::PopupMenu::Kind::kClassic);
    QCOMPARE(tray_->GetMenuName(), QStringLiteral("SMENU:menu_tray"));
    QCOMPARE(tray_->GetDuration(), SShellNotifyIcon::kDefaultDurationMs);
    QCOMPARE(tray_->GetStartFrame(), SShellNotifyIcon::kDefaultStartFrame);
    // The control covers nothing: it is hidden and lets the mouse through.
    QVERIFY(!tray_->isVisible());
  }

  void attributesAfterCreationApplyAsTheyStand() {
    QCOMPARE(tray_->SetAttribute("TIP", QStringLiteral("@string/tray_tip")),
             ui::AttributeResult::kHandled);
    QCOMPARE(tray_->GetTip(), QStringLiteral("@string/tray_tip"));
    QCOMPARE(tray_->SetAttribute("tip", QString()), ui::AttributeResult::kHandled);
    QCOMPARE(tray_->GetTip(), QStringLiteral("@string/tray_tip"));
    tray_->SetAttribute("tip", QString(200, QLatin1Char('t')));
    QCOMPARE(tray_->GetTip(), QString(kMaxTipLength, QLatin1Char('t')));

    // A resource of no menu kind keeps the name; a missing one changes nothing.
    QCOMPARE(tray_->SetAttribute("menu", QStringLiteral("XML:not_a_menu")),
             ui::AttributeResult::kHandled);
    QCOMPARE(tray_->GetMenuKind(), ui::PopupMenu::Kind::kNone);
    QCOMPARE(tray_->GetMenuName(), QStringLiteral("SMENU:menu_tray"));
    QCOMPARE(tray_->SetAttribute("menu", QStringLiteral("SMENU:no_such_menu")),
             ui::AttributeResult::kFailed);
    QCOMPARE(tray_->GetMenuKind(), ui::PopupMenu::Kind::kNone);
    QCOMPARE(tray_->SetAttribute("menu", QStringLiteral("SMENUEX:menu_ex")),
             ui::AttributeResult::kHandled);
    QCOMPARE(tray_->GetMenuKind(), ui::PopupMenu::Kind::kExtended);

    QCOMPARE(tray_->SetAttribute("duration", QStringLiteral("0x10")),
             ui::AttributeResult::kHandled);
    QCOMPARE(tray_->GetDuration(), 16);
    QCOMPARE(tray_->SetAttribute("startframe", QStringLiteral("two")),
             ui::AttributeResult::kFailed);
  }

  void aLeftClickShowsOrHidesTheWindow() {
    QVERIFY(host_->isVisible());
    tray_->OnTrayActivated(QSystemTrayIcon::Trigger);
    QVERIFY(!host_->isVisible());
    tray_->OnTrayActivated(QSystemTrayIcon::Trigger);
    QVERIFY(host_->isVisible());
    // A minimised window comes back rather than going away.
    host_->showMinimized();
    tray_->OnTrayActivated(QSystemTrayIcon::Trigger);
    QVERIFY(host_->isVisible());
    QVERIFY(!host_->isMinimized());
    // A double click and a middle click do nothing more.
    tray_->OnTrayActivated(QSystemTrayIcon::DoubleClick);
    tray_->OnTrayActivated(QSystemTrayIcon::MiddleClick);
    QVERIFY(host_->isVisible());
  }

  void aRightClickSendsTheMenusCommandToTheHost() {
    ui::PopupMenu::SetNextChoice(6);
    tray_->OnTrayActivated(QSystemTrayIcon::Context);
    QCOMPARE(host_->commands, (std::vector<std::pair<int, int>>{{0, 6}}));
    // A named item of an extended menu arrives as a command event of that name.
    tray_->SetAttribute("menu", QStringLiteral("SMENUEX:menu_ex"));
    ui::PopupMenu::SetNextChoice(QStringLiteral("zh_cn"));
    tray_->OnTrayActivated(QSystemTrayIcon::Context);
    QCOMPARE(host_->events, (std::vector<int>{ui::kEventCommand}));
    QCOMPARE(host_->eventSenders, (std::vector<QString>{QStringLiteral("zh_cn")}));
    // Without a menu a right click does nothing.
    tray_->SetAttribute("menu", QStringLiteral("XML:not_a_menu"));
    ui::PopupMenu::SetNextChoice(1);
    tray_->OnTrayActivated(QSystemTrayIcon::Context);
    QCOMPARE(host_->commands.size(), std::size_t{1});
  }

  void balloonsWithoutATrayGoToTheFallbackSink() {
    if (tray_->IsTrayAvailable()) {
      QSKIP("this platform has a notification area");
    }
    tray_->ShowBalloon(QStringLiteral("Failed to open USB"));
    tray_->ShowBalloon(QString(300, QLatin1Char('b')));
    std::vector<QString> shown;
    tray_->SetFallbackMessageSink([&shown](const QString& text) { shown.push_back(text); });
    QCOMPARE(shown.size(), std::size_t{2});
    QCOMPARE(shown[0], QStringLiteral("Failed to open USB"));
    QCOMPARE(shown[1], QString(kMaxBalloonLength, QLatin1Char('b')));
    tray_->ShowBalloon(QStringLiteral("Failed to start the upgrade exe"));
    QCOMPARE(shown.size(), std::size_t{3});
    QVERIFY(tray_->GetLastBalloon().isEmpty());
    // Without a sink, texts wait again, the last few of them.
    tray_->SetFallbackMessageSink(nullptr);
    for (int i = 0; i < 40; ++i) {
      tray_->ShowBalloon(QString::number(i));
    }
    shown.clear();
    tray_->SetFallbackMessageSink([&shown](const QString& text) { shown.push_back(text); });
    QCOMPARE(shown.size(), std::size_t{32});
    QCOMPARE(shown.front(), QStringLiteral("8"));
    QCOMPARE(shown.back(), QStringLiteral("39"));
  }

  void theIconAnimatesThroughItsFramesAndStopsOnTheDefault() {
    tray_->SetAttribute("ico", kSixIcons);
    QCOMPARE(tray_->GetIconCount(), 6);
    tray_->SetIconIndex(2);
    QCOMPARE(tray_->GetShownIconIndex(), 2);
    tray_->SetIconIndex(6);
    QCOMPARE(tray_->GetDefaultIndex(), 2);
    tray_->StartAnimation();
    QVERIFY(tray_->IsAnimating());
    QCOMPARE(tray_->GetCurrentFrame(), 1);
    std::vector<int> shown;
    for (int step = 0; step < 7; ++step) {
      tray_->NextFrame();
      shown.push_back(tray_->GetShownIconIndex());
    }
    QCOMPARE(shown, (std::vector<int>{1, 2, 3, 4, 5, 1, 2}));
    // While animating, a new default waits for the stop.
    tray_->SetIconIndex(4);
    QCOMPARE(tray_->GetShownIconIndex(), 2);
    tray_->StopAnimation();
    QVERIFY(!tray_->IsAnimating());
    QCOMPARE(tray_->GetCurrentFrame(), 0);
    QCOMPARE(tray_->GetShownIconIndex(), 4);
    // The timer drives the same steps.
    tray_->SetAttribute("duration", QStringLiteral("10"));
    tray_->StartAnimation();
    QCOMPARE(tray_->GetCurrentFrame(), 1);
    QTRY_VERIFY(tray_->GetCurrentFrame() != 1);
    tray_->StopAnimation();
  }

  void animationNeedsEnoughIconsAndSurvivesAShorterList() {
    // Three icons from frame 1: too few.
    tray_->StartAnimation();
    QVERIFY(!tray_->IsAnimating());
    tray_->SetAttribute("ico", kSixIcons);
    tray_->SetAttribute("startframe", QStringLiteral("-3"));
    tray_->StartAnimation();
    QVERIFY(!tray_->IsAnimating());
    tray_->SetAttribute("startframe", QStringLiteral("1"));
    tray_->StartAnimation();
    QVERIFY(tray_->IsAnimating());
    tray_->NextFrame();
    QCOMPARE(tray_->GetShownIconIndex(), 1);
    // The list shrinks under the running animation: the icon stays as it is.
    tray_->SetAttribute("ico", QStringLiteral("ICON:frame0"));
    tray_->NextFrame();
    QCOMPARE(tray_->GetShownIconIndex(), 1);
    tray_->SetAttribute("ico", QString());
    QCOMPARE(tray_->GetIconCount(), 0);
    tray_->NextFrame();
    tray_->StopAnimation();
    QCOMPARE(tray_->GetShownIconIndex(), 1);
    QVERIFY(!tray_->IsAnimating());
  }

  void withoutIconsTheLogoIsShownAndTheIconCanBeHidden() {
    SShellNotifyIcon icon;
    icon.setParent(host_->GetRoot());
    QCOMPARE(icon.SetAttribute("ico", QStringLiteral("ICON:no_such_icon")),
             ui::AttributeResult::kHandled);
    QCOMPARE(icon.SetAttribute("deficoidx", QStringLiteral("-2")), ui::AttributeResult::kHandled);
    QVERIFY(!icon.IsIconCreated());
    icon.ShowIcon();
    QVERIFY(!icon.IsIconVisible());
    icon.OnCreate();
    QVERIFY(icon.IsIconCreated());
    QCOMPARE(icon.GetIconCount(), 0);
    QCOMPARE(icon.GetDefaultIndex(), 0);
    QCOMPARE(icon.GetShownIconIndex(), -1);
    icon.HideIcon();
    QVERIFY(!icon.IsIconVisible());
    icon.ShowIcon();
    QVERIFY(icon.IsIconVisible());
    icon.OnDestroy();
    QVERIFY(!icon.IsIconCreated());
    QVERIFY(!icon.IsIconVisible());
  }

 private:
  std::unique_ptr<ui::SApplication> app_;
  std::unique_ptr<test::RecordingHost> host_;
  SShellNotifyIcon* tray_ = nullptr;
};

}  // namespace keyloom::controls

QTEST_MAIN(keyloom::controls::ShellNotifyIconTest)
#include "ShellNotifyIconTest.moc"

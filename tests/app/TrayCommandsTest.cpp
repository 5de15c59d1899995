#include <QDesktopServices>
#include <QFile>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <memory>

#include "MainWindowFixture.h"
#include "app/Language.h"
#include "app/NoticeLine.h"
#include "app/TrayCommands.h"
#include "controls/SShellNotifyIcon.h"
#include "ui/host/PopupMenu.h"
#include "ui/widgets/SComboBox.h"
#include "ui/widgets/SStatic.h"

namespace keyloom::app {
namespace {

using test::MainWindowUnderTest;

// Takes the addresses that the desktop is asked to open.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> urls;

 public Q_SLOTS:
  void open(const QUrl& url) { urls.append(url); }
};

// An upgrade program that ends at once and writes down how many arguments it had.
bool WriteUpgradeProgram(const QTemporaryDir& folder) {
  QFile program(folder.filePath(QStringLiteral("update")));
  if (!program.open(QIODevice::WriteOnly)) {
    return false;
  }
  program.write("#!/bin/sh\necho \"$#\" > \"$(dirname \"$0\")/ran\"\n");
  program.close();
  return program.setPermissions(program.permissions() | QFileDevice::ExeOwner);
}

QString Ran(const QTemporaryDir& folder) {
  QFile ran(folder.filePath(QStringLiteral("ran")));
  return ran.open(QIODevice::ReadOnly) ? QString::fromLatin1(ran.readAll()).trimmed() : QString();
}

QString TextOf(CMainDlg& window, const char* name) {
  const ui::SWindow* control = window.FindChildByName(QLatin1String(name));
  return control != nullptr ? control->GetDisplayText() : QString();
}

class TrayCommandsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ui::SApplication> app_;

 private Q_SLOTS:
  void init() {
    app_ = test::MakeApplication(QLatin1String(kEnglishTranslator));
    ui::PopupMenu::ClearNextChoice();
  }
  void cleanup() { app_.reset(); }

  // "zh_cn" of the "more" menu turns every text of the window into Chinese at once, "jp" back
  // into English; nothing is sent to the keyboard.
  void languageSwitchFromTheMoreMenu() {
    MainWindowUnderTest main;
    (void)main.TakeTrace();
    auto* effects = main.window().FindChildByName2<ui::SComboBox>(QStringLiteral("cmb_led_mode"));

    ui::PopupMenu::SetNextChoice(QStringLiteral("zh_cn"));
    main.window().FindChildByName(QStringLiteral("btn_more"))->FireCommand();

    QCOMPARE(main.StatusText(), QString::fromUtf8("已连接"));
    QCOMPARE(TextOf(main.window(), "btn_restore_factory"), QString::fromUtf8("恢复出厂设置"));
    QCOMPARE(effects->GetItemDisplayText(0), QString::fromUtf8("彩虹波浪"));
    QCOMPARE(main.window().FindChildByName(QStringLiteral("btn_min"))->toolTip(),
             QString::fromUtf8("隐藏到托盘"));

    ui::PopupMenu::SetNextChoice(QStringLiteral("jp"));
    main.window().FindChildByName(QStringLiteral("btn_more"))->FireCommand();

    QCOMPARE(main.StatusText(), QStringLiteral("Connected"));
    QCOMPARE(TextOf(main.window(), "btn_restore_factory"),
             QStringLiteral("Restore factory settings"));
    QCOMPARE(effects->GetItemDisplayText(0), QStringLiteral("Rainbow wave"));
    QVERIFY(main.TakeTrace().empty());
  }

  // Messages after a switch come in the new language.
  void messagesFollowTheLanguage() {
    MainWindowUnderTest::Options unplugged;
    unplugged.plugged = false;
    MainWindowUnderTest main(unplugged);

    main.window().SwitchLanguage(true);
    main.window().ConnectKeyboard();

    QCOMPARE(main.Messages(), (QStringList{QStringLiteral("Failed to open USB"),
                                           QString::fromUtf8("无法打开 USB 设备")}));
  }

  // The menu hangs from the button's bottom-left corner: "btn_more" lies 140 pixels from the
  // right edge and 12 from the top, 32 high.
  void moreMenuHangsBelowItsButton() {
    MainWindowUnderTest main;
    main.window().move(100, 50);
    QVERIFY(main.ShowAndWait());
    const ui::SWindow* button = main.window().FindChildByName(QStringLiteral("btn_more"));

    QCOMPARE(TrayCommands::MoreMenuPosition(*button),
             main.window().mapToGlobal(QPoint(main.window().width() - 140, 12 + 32)));
  }

  void logoOpensTheMakersPage() {
    MainWindowUnderTest main;
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");

    main.window().FindChildByName(QStringLiteral("logo_link"))->FireCommand();

    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(recorder.urls, QList<QUrl>{QUrl(QStringLiteral("https://keyloom.example/"))});
  }

  // Command 1, from the "more" menu or the tray menu: the program runs without arguments, the
  // window comes back and the keyboard is opened again; its profile and slots are not read.
  void upgradeProgramThatEndsAtOnce_data() {
    QTest::addColumn<bool>("fromTray");
    QTest::newRow("more menu") << false;
    QTest::newRow("tray menu") << true;
  }

  void upgradeProgramThatEndsAtOnce() {
    QFETCH(bool, fromTray);
    QTemporaryDir folder;
    QVERIFY(WriteUpgradeProgram(folder));
    MainWindowUnderTest main;
    main.window().GetTrayCommands().SetUpgradeFolder(folder.path());
    QVERIFY(main.ShowAndWait());
    (void)main.TakeTrace();

    ui::PopupMenu::SetNextChoice(TrayCommands::kCommandUpgrade);
    if (fromTray) {
      main.window()
          .FindChildByID2<controls::SShellNotifyIcon>(CMainDlg::kTrayIconId)
          ->OnTrayActivated(QSystemTrayIcon::Context);
    } else {
      main.window().FindChildByName(QStringLiteral("btn_more"))->FireCommand();
    }

    QCOMPARE(Ran(folder), QStringLiteral("0"));
    QVERIFY(main.window().isVisible());
    QCOMPARE(main.StatusText(), QStringLiteral("Connected"));
    QCOMPARE(main.window().Connection().Device().state(), hid::HidDevice::State::kOpen);
    QVERIFY(main.Messages().isEmpty());
    QVERIFY(main.TakeTrace().empty());
  }

  // No program to start (missing, or not a program): the message, and the window and the
  // keyboard come back all the same.
  void upgradeWithoutAProgram_data() {
    QTest::addColumn<bool>("file");
    QTest::newRow("missing") << false;
    QTest::newRow("not executable") << true;
  }

  void upgradeWithoutAProgram() {
    QFETCH(bool, file);
    QTemporaryDir folder;
    if (file) {
      QFile notAProgram(folder.filePath(QStringLiteral("update")));
      QVERIFY(notAProgram.open(QIODevice::WriteOnly));
      notAProgram.write("not a program");
    }
    MainWindowUnderTest main;
    main.window().GetTrayCommands().SetUpgradeFolder(folder.path());
    QVERIFY(main.ShowAndWait());

    main.window().OnCommand(0, TrayCommands::kCommandUpgrade);

    QCOMPARE(main.Messages(), QStringList{QStringLiteral("Failed to start the upgrade exe")});
    QVERIFY(main.window().isVisible());
    QCOMPARE(main.StatusText(), QStringLiteral("Connected"));
  }

  // The keyboard gone when the upgrade ends: "Failed to open USB" and "Disconnected".
  void upgradeWithTheKeyboardUnplugged() {
    QTemporaryDir folder;
    QVERIFY(WriteUpgradeProgram(folder));
    MainWindowUnderTest main;
    main.window().GetTrayCommands().SetUpgradeFolder(folder.path());
    main.keyboard().SetPlugged(false);

    main.window().OnCommand(0, TrayCommands::kCommandUpgrade);

    QCOMPARE(Ran(folder), QStringLiteral("0"));
    QCOMPARE(main.Messages(), QStringList{QStringLiteral("Failed to open USB")});
    QCOMPARE(main.StatusText(), QStringLiteral("Disconnected"));
    QCOMPARE(main.window().Connection().Device().state(), hid::HidDevice::State::kClosed);
  }

  // The notice line shows the last messages for a while, then hides; its timer runs only while
  // it shows something.
  void noticeLineShowsMessagesForAWhile() {
    ui::SWindow window;
    auto* line = new ui::SStatic();
    line->setParent(&window);
    NoticeLine notice(50);
    notice.Attach(line);
    QVERIFY(!line->isVisibleTo(&window));

    notice.Show(QStringLiteral("first"));
    notice.Show(QStringLiteral("second"));
    notice.Show(QStringLiteral("first"));
    QCOMPARE(notice.Messages(), (QStringList{QStringLiteral("second"), QStringLiteral("first")}));
    notice.Show(QStringLiteral("third"));

    QCOMPARE(notice.Messages(), (QStringList{QStringLiteral("first"), QStringLiteral("third")}));
    QCOMPARE(line->GetDisplayText(), QString::fromUtf8("first  \u00b7  third"));
    QVERIFY(line->isVisibleTo(&window));
    QVERIFY(notice.IsShown());
    QTRY_VERIFY(!notice.IsShown());
    QVERIFY(!line->isVisibleTo(&window));
    QVERIFY(notice.Messages().isEmpty());
  }
};

}  // namespace
}  // namespace keyloom::app

QTEST_MAIN(keyloom::app::TrayCommandsTest)
#include "TrayCommandsTest.moc"

#include <QApplication>
#include <QFile>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "MainWindowFixture.h"
#include "app/CMainDlg.h"
#include "app/KeyboardControls.h"
#include "app/Language.h"
#include "app/WindowActivation.h"
#include "connection/KeyboardConnection.h"
#include "controls/CoordButtonImage.h"
#include "controls/SShellNotifyIcon.h"
#include "protocol/CommandFrame.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/VirtualClock.h"
#include "settings/AppConfig.h"
#include "ui/host/PopupMenu.h"
#include "ui/host/SMessageBox.h"
#include "ui/widgets/SComboBox.h"

namespace keyloom::app {
namespace {

using test::Lines;
using test::MainWindowUnderTest;
using test::SelectProfileLines;
using test::SlotReadLines;
using test::TraceLines;

const QString kInstanceName = QStringLiteral("Keyloom.MainWindowTest");

// The key codes of A, B and Escape.
constexpr std::uint8_t kKeyA = 0x04;
constexpr std::uint8_t kKeyB = 0x05;
constexpr std::uint8_t kEscape = 0x29;

// The main window, with the key events it is given.
class ClickRecordingMainDlg : public CMainDlg {
 public:
  explicit ClickRecordingMainDlg(protocol::Clock& clock)
      : CMainDlg(Connection(clock), kInstanceName) {}

  // Records the click; the key assignment path it would start is tested on its own.
  bool OnCoordButtonClick(int id, const QString& /*name*/, int event, std::uint32_t /*flags*/,
                          int /*x*/, int /*y*/) override {
    clicks.emplace_back(id, event);
    return false;
  }

  std::vector<std::pair<int, int>> clicks;

 private:
  static std::unique_ptr<connection::KeyboardConnection> Connection(protocol::Clock& clock) {
    connection::KeyboardConnection::Settings settings;
    settings.simulate = true;
    settings.clock = &clock;
    return std::make_unique<connection::KeyboardConnection>(std::move(settings));
  }
};

ui::SComboBox* Combo(CMainDlg& window, const char* name) {
  return window.FindChildByName2<ui::SComboBox>(QLatin1String(name));
}

class MainWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() {
    ui::SMessageBox::ClearNextAnswers();
    ui::SMessageBox::TakeQuestions();
  }

  // Initialisation ends by opening the keyboard, selecting the first profile and reading its
  // slots; the lighting controls are loaded, but nothing is sent for them.
  void initialisationOpensTheKeyboardAndReadsItsSlots() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    MainWindowUnderTest main;

    QCOMPARE(main.TakeTrace(), Lines({SelectProfileLines(1), SlotReadLines()}));
    QCOMPARE(main.window().GetWindowProperty(kInstanceName), std::optional<int>(1));
    QCOMPARE(main.StatusText(), QStringLiteral("Connected"));
    QVERIFY(main.Messages().isEmpty());
    QCOMPARE(main.window().Connection().State().profileIndex, 0);
  }

  // Without the keyboard: the message and "Disconnected", and the profile and the slot read are
  // still sent (into the void), with all their pauses; no key is marked.
  void initialisationWithoutTheKeyboard() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    MainWindowUnderTest::Options unplugged;
    unplugged.plugged = false;
    MainWindowUnderTest main(unplugged);

    QCOMPARE(main.TakeTrace(), Lines({SelectProfileLines(1, false), SlotReadLines({}, false)}));
    QCOMPARE(main.StatusText(), QStringLiteral("Disconnected"));
    QCOMPARE(main.Messages(), QStringList{QStringLiteral("Failed to open USB")});
    QVERIFY(main.CheckedKeys().empty());
    QVERIFY(!main.IsShown("permission_notice"));
  }

  // The keys that hold remaps when the window starts are marked.
  void initialisationMarksTheAssignedKeys() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    {
      // What another program left on the keyboard: A and Escape send B.
      sim::SimulatedKeyboard keyboard(
          folder.filePath(QLatin1String(sim::kStateFileName)).toStdString());
      QVERIFY(keyboard.SetFeature(
          protocol::CommandFrame::AssignKeyMapping(0, 0, kKeyA, kKeyB).report()));
      QVERIFY(keyboard.SetFeature(
          protocol::CommandFrame::AssignKeyMapping(0, 1, kEscape, kKeyB).report()));
    }
    MainWindowUnderTest::Options options;
    options.dataDir = folder.path().toStdString();
    MainWindowUnderTest main(options);

    std::array<std::uint8_t, 24> slots{};
    slots[12] = kKeyA;
    slots[13] = kEscape;
    QCOMPARE(main.TakeTrace(), Lines({SelectProfileLines(1), SlotReadLines(slots)}));
    std::vector<int> checked = main.CheckedKeys();
    std::sort(checked.begin(), checked.end());
    QCOMPARE(checked, (std::vector<int>{kKeyA, kEscape}));
  }

  // Each profile entry selects its profile and reads its slots; choosing the entry that is
  // already selected sends nothing.
  void profileEntriesSelectTheirProfile() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    MainWindowUnderTest main;
    (void)main.TakeTrace();
    ui::SComboBox* profiles = Combo(main.window(), "cmb_profile");
    QVERIFY(profiles != nullptr);

    for (const int entry : {1, 2, 0}) {
      QVERIFY(profiles->SetCurSel(entry, true));
      QCOMPARE(main.TakeTrace(), Lines({SelectProfileLines(entry + 1), SlotReadLines()}));
      QCOMPARE(main.window().Connection().State().profileIndex, entry);
      QCOMPARE(main.keyboard().CurrentState().activeProfile, static_cast<std::size_t>(entry));
    }
    QVERIFY(profiles->SetCurSel(0, true));
    QVERIFY(main.TakeTrace().empty());
  }

  // Cancelled, the factory restore sends nothing; the question is the "Warning" box with OK and
  // Cancel.
  void factoryRestoreCancelledSendsNothing() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    MainWindowUnderTest main;
    QVERIFY(Combo(main.window(), "cmb_led_mode")->SetCurSel(3, true));
    (void)main.TakeTrace();
    ui::SMessageBox::SetNextAnswer(ui::SMessageBox::kIdCancel);

    main.window().FindChildByName(QStringLiteral("btn_restore_factory"))->FireCommand();

    QVERIFY(main.TakeTrace().empty());
    const std::vector<ui::SMessageBox::Question> questions = ui::SMessageBox::TakeQuestions();
    QCOMPARE(questions.size(), std::size_t{1});
    QCOMPARE(questions[0].caption, QStringLiteral("Warning"));
    QCOMPARE(questions[0].text,
             QStringLiteral("Restore the factory settings? The key assignments of all three "
                            "profiles and the lighting are reset on the keyboard. Your macros on "
                            "this computer are kept."));
    QCOMPARE(questions[0].buttons, ui::MessageBoxButtons::kOkCancel);
    QCOMPARE(questions[0].icon, ui::MessageBoxIcon::kWarning);
    QCOMPARE(questions[0].buttonTexts, QStringList{QStringLiteral("Restore factory settings")});
    QCOMPARE(Combo(main.window(), "cmb_led_mode")->GetCurSel(), 3);
    QVERIFY(main.Messages().isEmpty());
  }

  // Confirmed away from LED mode 0 and the first profile: the restore frame, LED mode 0's
  // default record, the first profile selected and read, and after 800 ms the slots again.
  void factoryRestoreBringsTheControlsBack() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    MainWindowUnderTest main;
    protocol::AssignKeyMapping(main.window().Connection().Link(), 0, 0, kKeyA, kKeyB);
    QVERIFY(Combo(main.window(), "cmb_led_mode")->SetCurSel(3, true));
    QVERIFY(Combo(main.window(), "cmb_profile")->SetCurSel(2, true));
    (void)main.TakeTrace();
    ui::SMessageBox::SetNextAnswer(ui::SMessageBox::kIdOk);

    main.window().FindChildByName(QStringLiteral("btn_restore_factory"))->FireCommand();

    QCOMPARE(main.TakeTrace(), Lines({{"pause 50", "set 07f0aa0000000000 ok"},
                                      test::LightingLines(0, {0x01, 0x01, 0x03, 0x03, 0x00}),
                                      SelectProfileLines(1),
                                      SlotReadLines(),
                                      {"pause 800"},
                                      SlotReadLines()}));
    QCOMPARE(Combo(main.window(), "cmb_led_mode")->GetCurSel(), 0);
    QCOMPARE(Combo(main.window(), "cmb_profile")->GetCurSel(), 0);
    QCOMPARE(main.window().Connection().State().profileIndex, 0);
    QVERIFY(main.window().Connection().State().lighting == protocol::LightingTable());
    QVERIFY(main.IsShown("radio_direction_parent"));
    QVERIFY(!main.IsShown("bar_color_parent"));
    QVERIFY(main.CheckedKeys().empty());
  }

  // Already on LED mode 0 and the first profile, only the restore frame goes, and the slots are
  // read 800 ms later; the keys the keyboard forgot are no longer marked.
  void factoryRestoreFromTheFirstEntries() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    MainWindowUnderTest main;
    protocol::AssignKeyMapping(main.window().Connection().Link(), 0, 0, kKeyA, kKeyB);
    main.window().OnDeviceChange();
    QCOMPARE(main.CheckedKeys(), std::vector<int>{kKeyA});
    (void)main.TakeTrace();
    ui::SMessageBox::SetNextAnswer(ui::SMessageBox::kIdOk);

    main.window().FindChildByName(QStringLiteral("btn_restore_factory"))->FireCommand();

    QCOMPARE(main.TakeTrace(),
             Lines({{"pause 50", "set 07f0aa0000000000 ok", "pause 800"}, SlotReadLines()}));
    QVERIFY(main.CheckedKeys().empty());
    QCOMPARE(main.Messages(),
             QStringList{QStringLiteral("The keyboard is back to its factory settings")});
  }

  // The restore frame the keyboard did not take is told, and so is a restore whose slot read
  // did not come back whole.
  void factoryRestoreTellsWhatCameOfIt_data() {
    QTest::addColumn<bool>("frameTaken");
    QTest::addColumn<bool>("slotsWhole");
    QTest::addColumn<QString>("told");
    QTest::newRow("done") << true << true
                          << QStringLiteral("The keyboard is back to its factory settings");
    QTest::newRow("frame not taken")
        << false << true << QStringLiteral("The keyboard did not take the factory restore");
    QTest::newRow("slot read not whole")
        << true << false
        << QStringLiteral(
               "The keyboard's answer was incomplete: whether it took the change is not known.");
  }

  void factoryRestoreTellsWhatCameOfIt() {
    QFETCH(bool, frameTaken);
    QFETCH(bool, slotsWhole);
    QFETCH(QString, told);
    protocol::RestoreResult restored;
    restored.transfers.Note(protocol::Transfers::Kind::kSet,
                            protocol::CommandFrame::RestoreFactory().report(), frameTaken);
    restored.transfers.Note(protocol::Transfers::Kind::kGet, {0x07}, slotsWhole);
    restored.slotsWhole = slotsWhole;
    QCOMPARE(QString::fromUtf8(CMainDlg::RestoreOutcomeText(restored)), told);
  }

  void aFactoryRestoreTheKeyboardDidNotTakeIsTold() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    MainWindowUnderTest main;
    ui::SMessageBox::SetNextAnswer(ui::SMessageBox::kIdOk);
    main.keyboard().FailNextTransfers(1);

    main.window().FindChildByName(QStringLiteral("btn_restore_factory"))->FireCommand();

    QCOMPARE(main.Messages(),
             QStringList{QStringLiteral("The keyboard did not take the factory restore")});
  }

  // A lighting change that the keyboard does not take is told; one it takes is not.
  void aLightingChangeTheKeyboardDidNotTakeIsTold() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    MainWindowUnderTest main;

    QVERIFY(Combo(main.window(), "cmb_led_mode")->SetCurSel(3, true));
    QVERIFY(main.Messages().isEmpty());
    main.keyboard().FailNextTransfers(1);
    QVERIFY(Combo(main.window(), "cmb_led_mode")->SetCurSel(4, true));

    QCOMPARE(main.Messages(),
             QStringList{QStringLiteral("The keyboard did not take the lighting change")});
  }

  // While the keyboard is not connected every control that would send to it is disabled, and
  // the notice over the keyboard picture stays until the keyboard is back; unplugged again, the
  // same.
  void controlsThatSendWaitForTheKeyboard_data() {
    QTest::addColumn<QString>("control");
    for (const char* name : KeyboardControls::kControlNames) {
      QTest::newRow(name) << QString::fromLatin1(name);
    }
  }

  void controlsThatSendWaitForTheKeyboard() {
    QFETCH(QString, control);
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    MainWindowUnderTest::Options unplugged;
    unplugged.plugged = false;
    MainWindowUnderTest main(unplugged);
    const ui::SWindow* shown = main.window().FindChildByName(control);
    QVERIFY(shown != nullptr);

    QVERIFY(!shown->isEnabled());
    QVERIFY(main.IsShown(KeyboardControls::kNoticeName));

    main.keyboard().SetPlugged(true);
    main.window().OnDeviceChange();
    QVERIFY(shown->isEnabled());
    QVERIFY(!main.IsShown(KeyboardControls::kNoticeName));

    main.keyboard().SetPlugged(false);
    main.window().OnDeviceChange();
    QVERIFY(!shown->isEnabled());
    QVERIFY(main.IsShown(KeyboardControls::kNoticeName));
  }

  // Moving the mouse over the picture lights the key under it and names it; a press and a
  // release on it reach the main window.
  void keyboardPictureAnswersTheMouse() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    protocol::VirtualClock clock;
    auto window = std::make_unique<ClickRecordingMainDlg>(clock);
    QVERIFY(window->Create());
    window->StartKeyboard();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto* picture = window->GetKeyboardPicture();
    QVERIFY(picture != nullptr);
    std::optional<controls::CoordButton> keyA;
    for (const controls::CoordButton& button : picture->GetButtons()) {
      if (button.name == QStringLiteral("A")) {
        keyA = button;
      }
    }
    QVERIFY(keyA.has_value());
    const QPoint centre = picture->PictureToControl(keyA->rect).center().toPoint();

    QTest::mouseMove(picture, centre);

    QCOMPARE(picture->GetToolTipText(), QStringLiteral("A"));
    int hovered = 0;
    for (const controls::CoordButton& button : picture->GetButtons()) {
      if (button.hovered) {
        ++hovered;
        QCOMPARE(button.id, keyA->id);
      }
    }
    QCOMPARE(hovered, 1);

    QTest::mouseClick(picture, Qt::LeftButton, Qt::NoModifier, centre);

    const std::vector<std::pair<int, int>> expected{
        {keyA->id, controls::ICoordButtonClickListener::kEventPress},
        {keyA->id, controls::ICoordButtonClickListener::kEventRelease}};
    QCOMPARE(window->clicks, expected);
  }

  // config.xml's language picks the translation the main window speaks.
  void languageComesFromTheConfiguration_data() {
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("translator");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("restoreButton");
    QTest::newRow("cn") << QStringLiteral("<local language=\"cn\"/>")
                        << QString::fromLatin1(kChineseTranslator) << QString::fromUtf8("已连接")
                        << QString::fromUtf8("恢复出厂设置");
    QTest::newRow("en") << QStringLiteral("<local language=\"en\"/>")
                        << QString::fromLatin1(kEnglishTranslator) << QStringLiteral("Connected")
                        << QStringLiteral("Restore factory settings");
    QTest::newRow("another language")
        << QStringLiteral("<local language=\"jp\"/>") << QString::fromLatin1(kEnglishTranslator)
        << QStringLiteral("Connected") << QStringLiteral("Restore factory settings");
    QTest::newRow("no file") << QString() << QString::fromLatin1(kEnglishTranslator)
                             << QStringLiteral("Connected")
                             << QStringLiteral("Restore factory settings");
  }

  void languageComesFromTheConfiguration() {
    QFETCH(QString, config);
    QFETCH(QString, translator);
    QFETCH(QString, status);
    QFETCH(QString, restoreButton);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    if (!config.isEmpty()) {
      QFile file(folder.filePath(QStringLiteral("config.xml")));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(config.toUtf8());
    }
    settings::AppConfig configuration;
    configuration.Load(folder.path().toStdString(), "config.xml");

    QCOMPARE(TranslatorNameFor(configuration.isChinese), translator);
    const auto app = test::MakeApplication(translator);
    MainWindowUnderTest main;
    QCOMPARE(main.StatusText(), status);
    const ui::SWindow* restore =
        main.window().FindChildByName(QStringLiteral("btn_restore_factory"));
    QVERIFY(restore != nullptr);
    QCOMPARE(restore->GetDisplayText(), restoreButton);
  }

  // Closing the main window, by its button, by the system, by the command 6 of a menu or by the
  // tray menu's exit, ends the loop with success and takes the instance mark away.
  void closingEndsTheLoopWithSuccess_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("btn_close") << QStringLiteral("button");
    QTest::newRow("close request") << QStringLiteral("system");
    QTest::newRow("command 6") << QStringLiteral("command");
    QTest::newRow("tray menu") << QStringLiteral("tray");
  }

  void closingEndsTheLoopWithSuccess() {
    QFETCH(QString, how);
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    MainWindowUnderTest main;
    CMainDlg& window = main.window();
    window.show();
    QTimer::singleShot(0, &window, [&window, how] {
      if (how == QLatin1String("button")) {
        window.FindChildByName(QStringLiteral("btn_close"))->FireCommand();
      } else if (how == QLatin1String("system")) {
        window.close();
      } else if (how == QLatin1String("command")) {
        window.OnCommand(0, TrayCommands::kCommandExit);
      } else {
        auto* tray = window.FindChildByID2<controls::SShellNotifyIcon>(CMainDlg::kTrayIconId);
        ui::PopupMenu::SetNextChoice(TrayCommands::kCommandExit);
        tray->OnTrayActivated(QSystemTrayIcon::Context);
      }
    });
    // A window that does not close would leave the loop running; end it with another code.
    QTimer::singleShot(10000, [] { QCoreApplication::exit(-1); });

    QCOMPARE(app->Run(window), 0);
    QVERIFY(!window.IsCreated());
    QCOMPARE(window.GetWindowProperty(kInstanceName), std::nullopt);
  }

  // A command with another notification code than a menu's is not a command of the window.
  void commandsNeedTheMenusNotificationCode() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    MainWindowUnderTest main;
    main.window().show();

    main.window().OnCommand(1, TrayCommands::kCommandExit);
    main.window().OnCommand(1, TrayCommands::kCommandUpgrade);
    QCoreApplication::processEvents();

    QVERIFY(main.window().IsCreated());
    QVERIFY(main.window().isVisible());
    QCOMPARE(main.StatusText(), QStringLiteral("Connected"));
  }

  void minimiseButtonKeepsTheWindowReachable() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    MainWindowUnderTest main;
    QVERIFY(main.ShowAndWait());

    QVERIFY(main.Click("btn_min"));

    QVERIFY(main.window().IsCreated());
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
      QVERIFY(!main.window().isVisible());
    } else {
      // Without a tray there would be no way back to a hidden window.
      QVERIFY(main.window().isVisible());
      QVERIFY(main.window().isMinimized());
    }
  }

  void bringToFrontShowsAndRestores() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    MainWindowUnderTest main;
    CMainDlg& window = main.window();
    window.hide();
    BringToFront(window);
    QVERIFY(window.isVisible());

    window.showMinimized();
    QVERIFY(window.isMinimized());
    BringToFront(window);
    QVERIFY(window.isVisible());
    QVERIFY(!window.isMinimized());
  }
};

}  // namespace
}  // namespace keyloom::app

QTEST_MAIN(keyloom::app::MainWindowTest)
#include "MainWindowTest.moc"

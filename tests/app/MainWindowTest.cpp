#include <QApplication>
#include <QFile>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/CMainDlg.h"
#include "app/KeyboardConnection.h"
#include "app/Language.h"
#include "app/WindowActivation.h"
#include "controls/CoordButtonImage.h"
#include "controls/RegisterControls.h"
#include "protocol/KeyboardProtocol.h"
#include "settings/AppConfig.h"
#include "ui/ResourceProvider.h"
#include "ui/SApplication.h"
#include "ui/SComboBox.h"
#include "ui/SStatic.h"

namespace keyloom::app {
namespace {

const QString kSkinFolder = QStringLiteral(KEYLOOM_BIN_DIR "/uires");
const QString kInstanceName = QStringLiteral("Keyloom.MainWindowTest");

// The toolkit as keyloom prepares it: the real skin, a translation, the program's controls.
std::unique_ptr<ui::SApplication> MakeApplication(const QString& translator) {
  auto app = std::make_unique<ui::SApplication>();
  std::optional<ui::ResourceProvider> skin = ui::ResourceProvider::OpenFolder(kSkinFolder);
  if (!skin || !app->AddResourceProvider(std::move(*skin))) {
    qFatal("the skin in %s does not load", qPrintable(kSkinFolder));
  }
  if (!InstallTranslator(*app, translator)) {
    qFatal("the skin has no translation %s", qPrintable(translator));
  }
  controls::RegisterControls(*app);
  return app;
}

std::unique_ptr<KeyboardConnection> SimulatedConnection(protocol::TransferTraceSink trace = {}) {
  KeyboardConnection::Settings settings;
  settings.simulate = true;
  settings.transferTrace = std::move(trace);
  return std::make_unique<KeyboardConnection>(std::move(settings));
}

std::unique_ptr<CMainDlg> MakeMainWindow() {
  auto window = std::make_unique<CMainDlg>(SimulatedConnection(), kInstanceName);
  if (!window->Create()) {
    qFatal("the main window does not build");
  }
  return window;
}

// The main window, with the key events it is given.
class ClickRecordingMainDlg : public CMainDlg {
 public:
  ClickRecordingMainDlg() : CMainDlg(SimulatedConnection(), kInstanceName) {}

  bool OnCoordButtonClick(int id, const QString& name, int event, std::uint32_t flags, int x,
                          int y) override {
    clicks.emplace_back(id, event);
    return CMainDlg::OnCoordButtonClick(id, name, event, flags, x, y);
  }

  std::vector<std::pair<int, int>> clicks;
};

QString StatusText(const CMainDlg& window) {
  const auto* status = window.FindChildByID2<ui::SStatic>(CMainDlg::kStatusTextId);
  return status != nullptr ? status->GetDisplayText() : QStringLiteral("(no status text)");
}

bool PanelShown(const CMainDlg& window, const char* name) {
  const ui::SWindow* panel = window.FindChildByName(QLatin1String(name));
  return panel != nullptr && panel->isVisibleTo(&window);
}

void Click(const CMainDlg& window, const char* button) {
  ui::SWindow* control = window.FindChildByName(QLatin1String(button));
  QVERIFY(control != nullptr);
  control->FireCommand();
}

class MainWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initialisationMarksTheWindow() {
    const auto app = MakeApplication(QLatin1String(kEnglishTranslator));
    const auto window = MakeMainWindow();

    QCOMPARE(window->GetWindowProperty(kInstanceName), std::optional<int>(1));
    QCOMPARE(StatusText(*window), QStringLiteral("Disconnected"));
  }

  // Moving the mouse over the picture lights the key under it and names it; a press and a
  // release on it reach the main window.
  void keyboardPictureAnswersTheMouse() {
    const auto app = MakeApplication(QLatin1String(kEnglishTranslator));
    auto window = std::make_unique<ClickRecordingMainDlg>();
    QVERIFY(window->Create());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto* picture =
        window->FindChildByName2<controls::CoordButtonImage>(QStringLiteral("img_keyboard"));
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

  void effectShowsOnlyItsPanels() {
    const auto app = MakeApplication(QLatin1String(kEnglishTranslator));
    const auto window = MakeMainWindow();
    // Effect 0, the layout's first: direction, speed, brightness.
    QVERIFY(PanelShown(*window, "radio_direction_parent"));
    QVERIFY(PanelShown(*window, "bar_speed_parent"));
    QVERIFY(PanelShown(*window, "bar_brightness_parent"));
    QVERIFY(!PanelShown(*window, "bar_color_parent"));
    QVERIFY(!PanelShown(*window, "udef_area_parent"));

    auto* effects = window->FindChildByName2<ui::SComboBox>(QStringLiteral("cmb_led_mode"));
    QVERIFY(effects != nullptr);
    QVERIFY(effects->SetCurSel(8, true));  // custom areas: brightness and the six areas
    QVERIFY(!PanelShown(*window, "radio_direction_parent"));
    QVERIFY(!PanelShown(*window, "bar_speed_parent"));
    QVERIFY(PanelShown(*window, "bar_brightness_parent"));
    QVERIFY(!PanelShown(*window, "bar_color_parent"));
    QVERIFY(PanelShown(*window, "udef_area_parent"));
  }

  // config.xml's language picks the translation the main window speaks.
  void languageComesFromTheConfiguration_data() {
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("translator");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("restoreButton");
    QTest::newRow("cn") << QStringLiteral("<local language=\"cn\"/>")
                        << QString::fromLatin1(kChineseTranslator) << QString::fromUtf8("未连接")
                        << QString::fromUtf8("恢复出厂设置");
    QTest::newRow("en") << QStringLiteral("<local language=\"en\"/>")
                        << QString::fromLatin1(kEnglishTranslator) << QStringLiteral("Disconnected")
                        << QStringLiteral("Restore factory settings");
    QTest::newRow("another language")
        << QStringLiteral("<local language=\"jp\"/>") << QString::fromLatin1(kEnglishTranslator)
        << QStringLiteral("Disconnected") << QStringLiteral("Restore factory settings");
    QTest::newRow("no file") << QString() << QString::fromLatin1(kEnglishTranslator)
                             << QStringLiteral("Disconnected")
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
    const auto app = MakeApplication(translator);
    const auto window = MakeMainWindow();
    QCOMPARE(StatusText(*window), status);
    const ui::SWindow* restore = window->FindChildByName(QStringLiteral("btn_restore_factory"));
    QVERIFY(restore != nullptr);
    QCOMPARE(restore->GetDisplayText(), restoreButton);
  }

  // Closing the main window, by its button or by the system, ends the loop with 1 and takes the
  // instance mark away.
  void closingEndsTheLoopWithOne_data() {
    QTest::addColumn<bool>("byButton");
    QTest::newRow("btn_close") << true;
    QTest::newRow("close request") << false;
  }

  void closingEndsTheLoopWithOne() {
    QFETCH(bool, byButton);
    const auto app = MakeApplication(QLatin1String(kEnglishTranslator));
    const auto window = MakeMainWindow();
    window->show();
    QTimer::singleShot(0, window.get(), [&window, byButton] {
      if (byButton) {
        Click(*window, "btn_close");
      } else {
        window->close();
      }
    });
    // A window that does not close would leave the loop running; end it with another code.
    QTimer::singleShot(10000, [] { QCoreApplication::exit(-1); });

    QCOMPARE(app->Run(*window), 1);
    QVERIFY(!window->IsCreated());
    QCOMPARE(window->GetWindowProperty(kInstanceName), std::nullopt);
  }

  void minimiseButtonKeepsTheWindowReachable() {
    const auto app = MakeApplication(QLatin1String(kEnglishTranslator));
    const auto window = MakeMainWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    Click(*window, "btn_min");

    QVERIFY(window->IsCreated());
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
      QVERIFY(!window->isVisible());
    } else {
      // Without a tray there would be no way back to a hidden window.
      QVERIFY(window->isVisible());
      QVERIFY(window->isMinimized());
    }
  }

  void bringToFrontShowsAndRestores() {
    const auto app = MakeApplication(QLatin1String(kEnglishTranslator));
    const auto window = MakeMainWindow();
    window->hide();
    BringToFront(*window);
    QVERIFY(window->isVisible());

    window->showMinimized();
    QVERIFY(window->isMinimized());
    BringToFront(*window);
    QVERIFY(window->isVisible());
    QVERIFY(!window->isMinimized());
  }

  // The main window's transfers, traced, read as keyloomctl --trace writes them.
  void transferTraceHasTheCommandLineToolsFormat() {
    std::vector<std::string> lines;
    const auto connection =
        SimulatedConnection([&lines](std::string_view line) { lines.emplace_back(line); });
    QVERIFY(connection->Device().Open(connection->Selector()));

    protocol::SelectProfile(connection->GetLink(), 1);

    const std::vector<std::string> expected{"set 07fc020000000000 ok", "pause 50"};
    QCOMPARE(lines, expected);
  }
};

}  // namespace
}  // namespace keyloom::app

QTEST_MAIN(keyloom::app::MainWindowTest)
#include "MainWindowTest.moc"

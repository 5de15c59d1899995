#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "DialogTestSupport.h"
#include "MainWindowFixture.h"
#include "app/CMainDlg.h"
#include "app/Language.h"
#include "connection/KeyboardConnection.h"
#include "controls/CoordButtonImage.h"
#include "controls/STabCtrl2.h"
#include "keymap/ContentBuilder.h"
#include "keymap/KeyMapFile.h"
#include "macro/AssignmentStore.h"
#include "macro/MacroLibrary.h"
#include "macro_dialog/MacroRecordDlg.h"
#include "protocol/VirtualClock.h"
#include "settings/AppConfig.h"
#include "ui/host/SHostDialog.h"
#include "ui/widgets/SComboBox.h"
#include "ui/widgets/SEdit.h"
#include "ui/widgets/SListView.h"
#include "ui/widgets/SStatic.h"

// The window shows what the key map knows of the keyboard: the profile and lighting it was left
// with, what each key does, and the key assignment dialog opened on a key's assignment.
namespace keyloom::app {
namespace {

using keymap::ContentKind;
using macro::MacroRecordDlg;

constexpr std::uint8_t kA = 0x04;
constexpr std::uint8_t kB = 0x05;
constexpr std::uint8_t kCapsLock = 0x39;
constexpr std::uint8_t kF5 = 0x3E;
constexpr std::uint8_t kF6 = 0x3F;
constexpr std::uint8_t kF7 = 0x40;
constexpr std::uint8_t kF9 = 0x42;

constexpr char kLibrary[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<group>\n"
    "\t<items name=\"Hello\">\n"
    "\t\t<item code=\"11\" name=\"H\" state=\"0\" delay=\"10\" />\n"
    "\t\t<item code=\"11\" name=\"H\" state=\"1\" delay=\"0\" />\n"
    "\t</items>\n\t<items name=\"Copy\">\n"
    "\t\t<item code=\"224\" name=\"Ctrl Left\" state=\"0\" delay=\"35\" />\n"
    "\t\t<item code=\"6\" name=\"C\" state=\"0\" delay=\"60\" />\n"
    "\t\t<item code=\"6\" name=\"C\" state=\"1\" delay=\"20\" />\n"
    "\t\t<item code=\"224\" name=\"Ctrl Left\" state=\"1\" delay=\"0\" />\n"
    "\t</items>\n</group>\n";

int IndexOf(const std::vector<settings::KeyCatalogEntry>& catalogue, const char* name) {
  for (std::size_t index = 0; index < catalogue.size(); ++index) {
    if (catalogue[index].name == name) {
      return static_cast<int>(index);
    }
  }
  return -1;
}

keymap::KeyContent Content(ContentKind kind, const char* name, std::uint8_t target) {
  keymap::KeyContent content;
  content.kind = kind;
  content.name = name;
  content.target = target;
  return content;
}

// Another program on the same data folder (as keyloomctl is), run before the window starts.
class OtherProgram {
 public:
  explicit OtherProgram(const std::filesystem::path& dataDir)
      : connection_([&] {
          connection::KeyboardConnection::Settings settings;
          settings.simulate = true;
          settings.dataDir = dataDir;
          settings.clock = &clock_;
          return settings;
        }()) {
    library_.Load(dataDir / "macro.xml");
    connection_.Open();
  }

  // Gives `keyCode` of profile 1 what the user chose, as the key map then knows it.
  void Assign(std::uint8_t keyCode, const keymap::KeyContent& content) {
    connection_.Assign(0, 0, content, {{keyCode, {}}});
  }
  void AssignMacro(std::uint8_t keyCode, int group, std::uint8_t repeat) {
    Assign(keyCode, *keymap::MacroContent(library_.GroupAt(group), repeat).content);
  }
  void AssignChord(std::uint8_t keyCode, const char* name) {
    const settings::AppConfig& config = settings::AppConfig::Global();
    Assign(keyCode,
           *keymap::ChordContent(config.functionKeys, IndexOf(config.functionKeys, name)).content);
  }
  // A remap that the key map never hears of.
  void AssignBehindItsBack(std::uint8_t keyCode, std::uint8_t target) {
    protocol::AssignKeyMapping(connection_.Link(), 0, 11, keyCode, target);
  }
  // A remap that a program killed before its end was sending: the keyboard took it, the key map
  // holds it as unfinished.
  void AssignAndDie(const std::filesystem::path& dataDir, std::uint8_t keyCode,
                    std::uint8_t target) {
    keymap::KeyMapFile file(dataDir / keymap::KeyMapFileName(connection_.Model()),
                            connection_.Model());
    (void)file.Open();
    (void)file.Update([&](keymap::KeyMap& map) {
      map.Begin({.select = std::nullopt,
                 .keys = {{0, protocol::KeySlotTable::Half::kRemap, keyCode,
                           Content(ContentKind::kSingleKey, "", target)}},
                 .lighting = {}});
    });
    protocol::AssignKeyMapping(connection_.Link(), 0, 10, keyCode, target);
  }
  connection::KeyboardConnection& connection() { return connection_; }

 private:
  protocol::VirtualClock clock_;
  macro::MacroLibrary library_;
  connection::KeyboardConnection connection_;
};

}  // namespace

class KeyMapWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { QVERIFY(macro::AssignmentStore::SetGlobalFolder(DataDir())); }

  void init() {
    std::filesystem::remove_all(DataDir());
    std::filesystem::create_directories(DataDir());
    macro::test::WriteFile(DataDir() / "macro.xml", kLibrary);
    macro::AssignmentStore& store = macro::AssignmentStore::Global();
    store = macro::AssignmentStore(store.path());
  }

  void cleanup() { macro::test::DeleteDestroyedControls(); }

  // The window starts on the profile and with the lighting that the keyboard was left with, and
  // sends no lighting for it.
  void startsAsTheKeyboardWasLeft() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    const protocol::LightingRecord sent{{0x05, 0x02, 0x01, 0x02, 0x00}};
    {
      OtherProgram other(DataDir());
      protocol::LightingTable lighting;
      lighting[3] = sent;
      QVERIFY(other.connection().SendLighting(3, lighting[3]).ok());
      QVERIFY(other.connection().SelectProfile(2).whole);
    }
    test::MainWindowUnderTest main({.dataDir = DataDir()});

    QCOMPARE(main.window().GetProfileEntry(), 2);
    QCOMPARE(
        main.window().FindChildByName2<ui::SComboBox>(QStringLiteral("cmb_led_mode"))->GetCurSel(),
        3);
    QVERIFY(main.window().Connection().State().lighting[3] == sent);
    QCOMPARE(main.TakeTrace(), test::Lines({test::SelectProfileLines(3), test::SlotReadLines()}));
  }

  // Each assigned key's tooltip, and the list of assignments, say what it does in the window's
  // language; a key that plays a macro changed since is marked.
  void tellsWhatEachKeyDoes_data() {
    QTest::addColumn<QString>("translator");
    QTest::addColumn<QStringList>("tips");
    QTest::newRow("English")
        << QString::fromLatin1(kEnglishTranslator)
        << QStringList{
               QString::fromUtf8("F5: macro “Copy”, played 2 times\n“Copy” was changed "
                                 "since; assign it again to play the new version"),
               QString::fromUtf8("F6: chord “Paste”"),
               QString::fromUtf8("A → B"),
               QStringLiteral("F9: Mute"),
               QStringLiteral("CapsLock: assigned elsewhere"),
               QStringLiteral("F7: unknown (an earlier change may not have finished)"),
           };
    QTest::newRow("Chinese") << QString::fromLatin1(kChineseTranslator)
                             << QStringList{
                                    QString::fromUtf8("F5：宏“Copy”，播放 2 次\n“Copy”此后已被修"
                                                      "改；请重新为此按键设置它，以播放新版本"),
                                    QString::fromUtf8("F6：快捷键“粘贴”"),
                                    QString::fromUtf8("A → B"),
                                    QString::fromUtf8("F9：静音"),
                                    QString::fromUtf8("CapsLock：已在别处设置（内容未知）"),
                                    QString::fromUtf8("F7：未知（之前的更改可能未完成）"),
                                };
  }

  void tellsWhatEachKeyDoes() {
    QFETCH(QString, translator);
    QFETCH(QStringList, tips);
    const auto app = test::MakeApplication(translator);
    {
      OtherProgram other(DataDir());
      other.AssignMacro(kF5, 1, 2);
      other.AssignChord(kF6, "Paste");
      other.Assign(kA, Content(ContentKind::kSingleKey, "", kB));
      other.Assign(kF9, Content(ContentKind::kMediaKey, "Mute", 0xEF));
      other.AssignBehindItsBack(kCapsLock, kB);
      other.AssignAndDie(DataDir(), kF7, kB);
    }
    // "Copy" is edited after F5 was given it; "Hello" is not.
    QString library = QString::fromLatin1(kLibrary);
    macro::test::WriteFile(
        DataDir() / "macro.xml",
        library.replace(QStringLiteral("delay=\"60\""), QStringLiteral("delay=\"70\""))
            .toStdString());
    test::MainWindowUnderTest main({.dataDir = DataDir()});
    const controls::CoordButtonImage& picture = *main.window().GetKeyboardPicture();

    QStringList shown;
    QStringList listed;
    for (const std::uint8_t key : {kF5, kF6, kA, kF9, kCapsLock, kF7}) {
      shown.append(picture.ButtonTip(key));
    }
    for (const KeyDescription& description : main.window().Assignments()) {
      listed.append(description.text);
    }
    QCOMPARE(shown, tips);
    QCOMPARE(listed.size(), 6);
    QCOMPARE(picture.ButtonTip(kB), picture.ButtonName(kB));
    QVERIFY(picture.IsButtonFlagged(kF5));
    for (const std::uint8_t key : {kF6, kA, kF9, kCapsLock}) {
      QVERIFY(!picture.IsButtonFlagged(key));
    }
  }

  // A key map that cannot be read is moved aside, and the window says where as it starts.
  void tellsOfAKeyMapMovedAside() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    const std::filesystem::path file =
        DataDir() / keymap::KeyMapFileName(keymap::KeyboardModel{0, 0});
    macro::test::WriteFile(file, "<keymap version=\"2\"/>");
    test::MainWindowUnderTest main({.dataDir = DataDir()});
    QCOMPARE(main.Messages().size(), 1);
    QVERIFY(main.Messages().front().startsWith(QStringLiteral("The key map could not be read: ")));
    QVERIFY(main.Messages().front().contains(QStringLiteral("of version 2")));
    QVERIFY(main.Messages().front().contains(
        QString::fromStdString((DataDir() / "keymap-0000-0000.broken-").string())));
  }

  // A change that the key map cannot record first sends nothing, and the window says why.
  void tellsOfAChangeTheKeyMapCannotRecord() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    test::MainWindowUnderTest main({.dataDir = DataDir()});
    (void)main.TakeTrace();
    const std::filesystem::path lock = DataDir() / ".keyloom.lock";
    std::filesystem::remove(lock);
    std::filesystem::create_directory(lock);
    main.window()
        .FindChildByName2<ui::SComboBox>(QStringLiteral("cmb_led_mode"))
        ->SetCurSel(3, true);
    std::filesystem::remove(lock);
    QVERIFY(main.TakeTrace().empty());
    QCOMPARE(
        main.window().FindChildByName2<ui::SComboBox>(QStringLiteral("cmb_led_mode"))->GetCurSel(),
        0);
    QCOMPARE(main.Messages(),
             QStringList{QStringLiteral("Nothing was sent: the record of what the keyboard holds "
                                        "could not be saved (cannot lock the data folder (%1): is "
                                        "a directory).")
                             .arg(QString::fromStdString(lock.string()))});
  }

  // The key assignment dialog opens on what the key does, as far as the key map knows it, and
  // opening it writes no file.
  void theDialogOpensOnTheKeysAssignment_data() {
    const settings::AppConfig& config = settings::AppConfig::Global();
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("shown");
    QTest::newRow("macro") << int(kF5) << MacroRecordDlg::kMacroPage << QStringLiteral("1 x2");
    QTest::newRow("single key") << int(kA) << MacroRecordDlg::kSingleKeyPage << QStringLiteral("B");
    QTest::newRow("media key") << int(kF9) << MacroRecordDlg::kMediaKeyPage
                               << QString::number(IndexOf(config.mediaKeys, "Mute"));
    QTest::newRow("shortcut") << int(kF6) << MacroRecordDlg::kFunctionKeyPage
                              << QString::number(IndexOf(config.functionKeys, "Paste"));
    QTest::newRow("assigned elsewhere: the last choices")
        << int(kCapsLock) << MacroRecordDlg::kMediaKeyPage << QStringLiteral("0");
    QTest::newRow("no assignment: the last choices")
        << int(kB) << MacroRecordDlg::kMediaKeyPage << QStringLiteral("0");
  }

  void theDialogOpensOnTheKeysAssignment() {
    QFETCH(int, key);
    QFETCH(int, page);
    QFETCH(QString, shown);
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    {
      OtherProgram other(DataDir());
      other.AssignMacro(kF5, 1, 2);
      other.AssignChord(kF6, "Paste");
      other.Assign(kA, Content(ContentKind::kSingleKey, "", kB));
      other.Assign(kF9, Content(ContentKind::kMediaKey, "Mute", 0xEF));
      other.AssignBehindItsBack(kCapsLock, kB);
    }
    macro::AssignmentStore::Global().page = MacroRecordDlg::kMediaKeyPage;
    test::MainWindowUnderTest main({.dataDir = DataDir()});
    int openedOn = -1;
    QString opened;
    const ui::SHostDialog::ExecHook previous =
        ui::SHostDialog::SetExecHook([&](ui::SHostDialog& dialog) {
          openedOn = macro::test::Control<controls::STabCtrl2>(
                         dialog, QStringLiteral("tab_macro_mode_selection"))
                         .GetCurSel();
          switch (openedOn) {
            case MacroRecordDlg::kMacroPage:
              opened = QStringLiteral("%1 x%2")
                           .arg(macro::test::Control<ui::SListView>(dialog,
                                                                    QStringLiteral("macro_group"))
                                    .GetSel())
                           .arg(macro::test::Control<ui::SEdit>(
                                    dialog, QStringLiteral("edit_macro_repeat_times"))
                                    .GetText());
              break;
            case MacroRecordDlg::kSingleKeyPage:
              opened = macro::test::Control<ui::SStatic>(dialog, QStringLiteral("edit_single_key"))
                           .GetText();
              break;
            default:
              opened = QString::number(
                  macro::test::Control<ui::SComboBox>(
                      dialog, QString::fromLatin1(openedOn == MacroRecordDlg::kMediaKeyPage
                                                      ? "cmb_media_keys"
                                                      : "cmb_function_keys"))
                      .GetCurSel());
          }
          macro::test::Click(macro::test::Control(dialog, QStringLiteral("btnCancel")));
        });
    main.window().OpenKeyDialog(key);
    ui::SHostDialog::SetExecHook(previous);

    QCOMPARE(openedOn, page);
    QCOMPARE(opened, shown);
    QVERIFY(!std::filesystem::exists(DataDir() / "store.xml"));
  }

 private:
  [[nodiscard]] std::filesystem::path DataDir() const {
    return std::filesystem::path(scratch_.path().toStdString()) / "data";
  }

  QTemporaryDir scratch_;
};

}  // namespace keyloom::app

QTEST_MAIN(keyloom::app::KeyMapWindowTest)
#include "KeyMapWindowTest.moc"

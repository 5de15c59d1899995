#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>
#include <string>

#include "MainWindowFixture.h"
#include "app/KeyboardBackupFlow.h"
#include "app/Language.h"
#include "app/RestoreProgressDialog.h"
#include "connection/KeyboardBackup.h"
#include "keymap/KeyMapFile.h"
#include "protocol/KeyAssignmentRecord.h"
#include "ui/host/PopupMenu.h"
#include "ui/host/SMessageBox.h"
#include "ui/widgets/SComboBox.h"

namespace keyloom::app {
namespace {

using connection::KeyboardConnection;
using test::MainWindowUnderTest;
using Flow = KeyboardBackupFlow;
using Half = protocol::KeySlotTable::Half;

constexpr std::uint8_t kF5 = 0x3E;
constexpr std::uint8_t kA = 0x04;
constexpr std::uint8_t kC = 0x06;
constexpr std::uint8_t kCapsLock = 0x39;

void Assign(KeyboardConnection& keyboard, int profile, std::uint8_t key,
            const keymap::KeyContent& content) {
  QCOMPARE(keyboard.Assign(profile, profile, content, {{key, "key"}}).outcome,
           protocol::AssignmentOutcome::kDone);
}

void Macro(KeyboardConnection& keyboard, int profile, std::uint8_t key) {
  keymap::KeyContent content;
  content.kind = keymap::ContentKind::kMacro;
  content.name = "Copy";
  content.repeat = 2;
  content.events = {{0x04, 0x54}, {0x04, 0xA8}};
  Assign(keyboard, profile, key, content);
}

void Remap(KeyboardConnection& keyboard, int profile, std::uint8_t key, std::uint8_t target) {
  keymap::KeyContent content;
  content.kind = keymap::ContentKind::kSingleKey;
  content.target = target;
  Assign(keyboard, profile, key, content);
}

// A macro on F5 and a remap A → B on profile 1, C → D on profile 3, the lighting of LED mode 3
// sent last, profile 3 active.
void Configure(KeyboardConnection& keyboard) {
  Macro(keyboard, 0, kF5);
  Remap(keyboard, 0, kA, 0x05);
  Remap(keyboard, 2, kC, 0x07);
  protocol::LightingTable lighting;
  lighting[3].bytes = {0x05, 0x02, 0x00, 0x02, 0x00};
  QVERIFY(keyboard.SendLighting(3, lighting[3]).ok());
}

// Chooses an item of the "more" menu as the user would.
void ChooseFromMoreMenu(MainWindowUnderTest& main, const char* item) {
  ui::PopupMenu::SetNextChoice(QLatin1String(item));
  main.window().FindChildByName(QStringLiteral("btn_more"))->FireCommand();
}

// Backs up the keyboard with the core, without the window.
void WriteBackup(KeyboardConnection& keyboard, const QString& file) {
  const connection::KeyboardReading reading = connection::ReadKeyboard(keyboard);
  QVERIFY(reading.whole);
  QVERIFY(keymap::WriteKeyMapFile(file.toStdString(), reading.map, keyboard.Model()).ok());
}

void FactoryRestore(KeyboardConnection& keyboard) {
  QVERIFY(keyboard.RestoreFactory(nullptr).slotsWhole);
}

int Count(const test::TraceLines& trace, const char* prefix) {
  return static_cast<int>(std::ranges::count_if(
      trace, [prefix](const std::string& line) { return line.starts_with(prefix); }));
}

class KeyboardBackupFlowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ui::SApplication> app_;
  std::unique_ptr<QTemporaryDir> folder_;

  [[nodiscard]] QString File(const char* name) const {
    return folder_->filePath(QLatin1String(name));
  }

 private Q_SLOTS:
  void init() {
    app_ = test::MakeApplication(QLatin1String(kEnglishTranslator));
    folder_ = std::make_unique<QTemporaryDir>();
    ui::PopupMenu::ClearNextChoice();
    ui::SMessageBox::ClearNextAnswers();
    (void)ui::SMessageBox::TakeQuestions();
  }
  void cleanup() {
    Flow::SetNextFileName({});
    folder_.reset();
    app_.reset();
  }

  // The backup holds every profile's keys with what they do, the lighting, the LED mode and the
  // active profile, and reads back as what the keyboard holds; the window says how many keys.
  void backupWritesWhatTheKeyboardHolds() {
    MainWindowUnderTest main;
    KeyboardConnection& keyboard = main.window().Connection();
    Configure(keyboard);
    const QString file = File("backup.xml");

    Flow::SetNextFileName(file);
    ui::SMessageBox::SetNextAnswer(ui::SMessageBox::kIdOk);
    ChooseFromMoreMenu(main, Flow::kBackupItem);

    keymap::KeyMapDocument backup;
    QVERIFY(keymap::ReadKeyMapFile(file.toStdString(), backup).ok());
    QVERIFY(backup.model == keyboard.Model());
    QCOMPARE(backup.listed, (std::array<bool, 3>{true, true, true}));
    QVERIFY(backup.map == connection::ReadKeyboard(keyboard).map);
    const sim::SimulatedKeyboardState held = main.keyboard().CurrentState();
    QCOMPARE(backup.map.Profile(0).At(Half::kMacro, 0)->keyCode,
             held.profiles[0].macros[0].keyCode);
    QVERIFY(backup.map.Profile(0).At(Half::kMacro, 0)->content.Record().bytes() == [&] {
      protocol::KeyAssignmentRecord record = held.profiles[0].macros[0].record;
      record.SetProfileNumber(0);
      record.SetSlotNumber(0);
      record.SetKeyCode(0);
      return record.bytes();
    }());
    QCOMPARE(backup.map.Profile(2).At(Half::kRemap, 0)->content.target,
             held.profiles[2].remaps[0].targetKeyCode);
    QCOMPARE(backup.map.Lighting(3)->bytes, held.lighting[3].bytes);
    QCOMPARE(backup.map.LedMode(), std::optional<int>(held.ledMode));
    QCOMPARE(backup.map.SelectedProfile(),
             std::optional<int>(static_cast<int>(held.activeProfile)));

    const auto questions = ui::SMessageBox::TakeQuestions();
    QCOMPARE(questions.size(), std::size_t{1});
    QCOMPARE(questions[0].text, Translated(Flow::kBackedUpText).arg(file).arg(2).arg(0).arg(1));
  }

  // A restore after a factory restore brings the keyboard back slot for slot, the lighting and
  // the active profile included; the window shows that profile, its keys and its lighting.
  void restoreBringsTheKeyboardBack() {
    MainWindowUnderTest main;
    KeyboardConnection& keyboard = main.window().Connection();
    Configure(keyboard);
    const sim::SimulatedKeyboardState before = main.keyboard().CurrentState();
    const QString file = File("backup.xml");
    WriteBackup(keyboard, file);
    FactoryRestore(keyboard);
    QVERIFY(main.keyboard().CurrentState() != before);

    Flow::SetNextFileName(file);
    ui::SMessageBox::SetNextAnswer(ui::SMessageBox::kIdOk);  // the question
    ui::SMessageBox::SetNextAnswer(ui::SMessageBox::kIdOk);  // the summary
    ChooseFromMoreMenu(main, Flow::kRestoreItem);

    QVERIFY(main.keyboard().CurrentState() == before);
    const auto questions = ui::SMessageBox::TakeQuestions();
    QCOMPARE(questions.size(), std::size_t{2});
    QCOMPARE(questions[0].text, Translated(Flow::kRestoreQuestionText).arg(file));
    QCOMPARE(questions[0].buttonTexts.value(0), QLatin1String(Flow::kRestoreButtonText));
    QCOMPARE(questions[1].text, Translated(Flow::kRestoredText).arg(4).arg(0));
    QCOMPARE(main.window().GetProfileEntry(), 2);
    QCOMPARE(main.CheckedKeys(), std::vector<int>{kC});
    const auto* ledMode =
        main.window().FindChildByName2<ui::SComboBox>(QStringLiteral("cmb_led_mode"));
    QCOMPARE(ledMode->GetCurSel(), 3);
    QCOMPARE(main.window().Connection().State().lighting[3].bytes, before.lighting[3].bytes);
  }

  // Cancelled before its third change, a restore keeps the first two, records them in the key
  // map, and sends nothing more.
  void aCancelledRestoreKeepsWhatArrived() {
    MainWindowUnderTest main;
    KeyboardConnection& keyboard = main.window().Connection();
    Configure(keyboard);
    const sim::SimulatedKeyboardState configured = main.keyboard().CurrentState();
    const QString file = File("backup.xml");
    WriteBackup(keyboard, file);
    FactoryRestore(keyboard);
    (void)main.TakeTrace();

    Flow::SetNextFileName(file);
    RestoreProgressDialog::SetNextCancelAt(2);
    ui::SMessageBox::SetNextAnswer(ui::SMessageBox::kIdOk);
    ui::SMessageBox::SetNextAnswer(ui::SMessageBox::kIdOk);
    ChooseFromMoreMenu(main, Flow::kRestoreItem);

    const sim::SimulatedKeyboardState held = main.keyboard().CurrentState();
    QVERIFY(held.profiles[0] == configured.profiles[0]);  // F5 and A
    QVERIFY(held.profiles[2] == sim::SimulatedKeyboardState::Profile{});
    QCOMPARE(held.ledMode, 0);
    QVERIFY(held.lighting[3].bytes != configured.lighting[3].bytes);
    const test::TraceLines trace = main.TakeTrace();
    QCOMPARE(Count(trace, "set 07f1"), 1);  // the macro's download
    QCOMPARE(Count(trace, "set 07fa"), 1);  // A's remap
    QCOMPARE(Count(trace, "set 07f7"), 0);
    const keymap::KeyMap& known = keyboard.KeyMap();
    QCOMPARE(known.Profile(0).At(Half::kMacro, 0)->keyCode, kF5);
    QCOMPARE(known.Profile(0).At(Half::kRemap, 0)->content.target, std::uint8_t{0x05});
    QVERIFY(known.Profile(2).Empty());
    const auto questions = ui::SMessageBox::TakeQuestions();
    QCOMPARE(questions.size(), std::size_t{2});
    QCOMPARE(questions[1].text, Translated(Flow::kCancelledText).arg(2).arg(4));
  }

  // A file that is not a backup of this keyboard is refused with the reason; nothing is sent and
  // nothing asked.
  void filesThatAreNoBackupOfThisKeyboardSendNothing_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("said");
    QTest::newRow("missing") << QByteArray() << QStringLiteral("There is no file %1.");
    QTest::newRow("not XML") << QByteArray("<keymap version=") << QStringLiteral("This file");
    QTest::newRow("not a key map") << QByteArray("<macros/>") << QStringLiteral("This file");
    QTest::newRow("a later version")
        << QByteArray("<keymap version=\"2\"/>") << QStringLiteral("This file");
    QTest::newRow("another model")
        << QByteArray(
               "<keymap version=\"1\" vid=\"%1\" pid=\"%2\"><profile number=\"1\">"
               "<remap slot=\"1\" key=\"4\" kind=\"key\" target=\"5\"/></profile></keymap>")
        << QStringLiteral("%1 is a backup of another keyboard model");
  }

  void filesThatAreNoBackupOfThisKeyboardSendNothing() {
    QFETCH(QByteArray, content);
    QFETCH(QString, said);
    MainWindowUnderTest main;
    const keymap::KeyboardModel model = main.window().Connection().Model();
    const QString file = File("backup.xml");
    if (!content.isEmpty()) {
      content.replace("%1", QByteArray::number(model.vendorId, 16).rightJustified(4, '0'));
      content.replace("%2", QByteArray::number(model.productId + 1, 16).rightJustified(4, '0'));
      QFile written(file);
      QVERIFY(written.open(QIODevice::WriteOnly));
      written.write(content);
    }
    const sim::SimulatedKeyboardState before = main.keyboard().CurrentState();
    (void)main.TakeTrace();

    Flow::SetNextFileName(file);
    // Were the restore's question asked instead, it would be declined.
    ui::SMessageBox::SetNextAnswer(ui::SMessageBox::kIdCancel);
    ChooseFromMoreMenu(main, Flow::kRestoreItem);

    QVERIFY(main.TakeTrace().empty());
    QVERIFY(main.keyboard().CurrentState() == before);
    const auto questions = ui::SMessageBox::TakeQuestions();
    QCOMPARE(questions.size(), std::size_t{1});
    QVERIFY2(
        questions[0].text.startsWith(said.contains(QLatin1String("%1")) ? said.arg(file) : said),
        qPrintable(questions[0].text));
  }

  // Profile 1 onto profile 3, offered only as another profile than the one shown: profile 3
  // holds profile 1's keys with the same records, what it held is gone, and the key whose
  // content is not known is left out and named. The window shows profile 3.
  void copyProfileOneToThree() {
    MainWindowUnderTest main;
    KeyboardConnection& keyboard = main.window().Connection();
    Configure(keyboard);
    sim::SimulatedKeyboardState state = main.keyboard().CurrentState();
    state.profiles[0].remaps[1] = {kCapsLock, 0x29};  // assigned by another program
    main.keyboard().SetState(state);
    main.window().ShowProfile(0);

    const std::optional<ui::PopupMenu> menu = Flow::CopyMenu(0);
    QVERIFY(menu.has_value());
    QStringList offered;
    for (const ui::PopupMenu::Item& item : menu->Items()) {
      offered.append(item.name);
    }
    QCOMPARE(offered,
             (QStringList{QStringLiteral("copy_to_profile2"), QStringLiteral("copy_to_profile3")}));

    ui::PopupMenu::SetNextChoice(QLatin1String("copy_to_profile3"));
    ui::SMessageBox::SetNextAnswer(ui::SMessageBox::kIdOk);
    ui::SMessageBox::SetNextAnswer(ui::SMessageBox::kIdOk);
    QVERIFY(main.Click(Flow::kCopyButton));

    const sim::SimulatedKeyboardState held = main.keyboard().CurrentState();
    QCOMPARE(held.profiles[2].macros[0].keyCode, kF5);
    protocol::KeyAssignmentRecord copied = held.profiles[2].macros[0].record;
    copied.SetProfileNumber(1);
    QVERIFY(copied.bytes() == held.profiles[0].macros[0].record.bytes());
    QCOMPARE(held.profiles[2].remaps[0].keyCode, kA);
    QCOMPARE(held.profiles[2].remaps[0].targetKeyCode, std::uint8_t{0x05});
    QCOMPARE(held.profiles[2].remaps[1].keyCode, std::uint8_t{0});  // neither C nor Caps Lock
    QVERIFY(held.profiles[0] == state.profiles[0]);
    QCOMPARE(main.window().GetProfileEntry(), 2);
    QCOMPARE(main.CheckedKeys(), (std::vector<int>{kF5, kA}));

    const auto questions = ui::SMessageBox::TakeQuestions();
    QCOMPARE(questions.size(), std::size_t{2});
    QCOMPARE(questions[0].text, Translated(Flow::kCopyQuestionText).arg(1).arg(3));
    QVERIFY2(
        questions[1].text.contains(
            Translated(Flow::kNotCopiedUnknownText).arg(QStringLiteral("CapsLock (profile 1)"))),
        qPrintable(questions[1].text));
  }

  // A backup goes only to a new file or over a regular one the user may write, and the keyboard
  // is not read for one that would not be written.
  void backupRefusesAFileThatIsNoWritableFile() {
    MainWindowUnderTest main;
    QVERIFY(QDir(folder_->path()).mkdir(QStringLiteral("folder.xml")));
    QFile readOnly(File("read-only.xml"));
    QVERIFY(readOnly.open(QIODevice::WriteOnly));
    readOnly.write("mine");
    readOnly.close();
    QVERIFY(readOnly.setPermissions(QFileDevice::ReadOwner));
    for (const auto& [name, text] : {std::pair{"folder.xml", Flow::kBackupNotRegularText},
                                     std::pair{"read-only.xml", Flow::kBackupReadOnlyText}}) {
      (void)main.TakeTrace();
      Flow::SetNextFileName(File(name));
      ui::SMessageBox::SetNextAnswer(ui::SMessageBox::kIdOk);
      ChooseFromMoreMenu(main, Flow::kBackupItem);
      const auto questions = ui::SMessageBox::TakeQuestions();
      QCOMPARE(questions.size(), std::size_t{1});
      QCOMPARE(questions[0].text, Translated(text).arg(File(name)));
      QVERIFY(main.TakeTrace().empty());
    }
    QVERIFY(QFileInfo(File("folder.xml")).isDir());
    QVERIFY(readOnly.open(QIODevice::ReadOnly));
    QCOMPARE(readOnly.readAll(), QByteArray("mine"));
  }

  // Without the keyboard nothing of it can be chosen.
  void disconnectedTheCommandsCannotBeChosen() {
    MainWindowUnderTest::Options unplugged;
    unplugged.plugged = false;
    MainWindowUnderTest main(unplugged);
    QVERIFY(!main.window().FindChildByName(QLatin1String(Flow::kCopyButton))->isEnabled());
    for (const char* item : {Flow::kBackupItem, Flow::kRestoreItem}) {
      ui::SMessageBox::SetNextAnswer(ui::SMessageBox::kIdCancel);
      Flow::SetNextFileName(File("backup.xml"));
      ChooseFromMoreMenu(main, item);
    }
    QVERIFY(!QFile::exists(File("backup.xml")));
    QVERIFY(ui::SMessageBox::TakeQuestions().empty());
  }
};

}  // namespace
}  // namespace keyloom::app

QTEST_MAIN(keyloom::app::KeyboardBackupFlowTest)
#include "KeyboardBackupFlowTest.moc"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DialogTestSupport.h"
#include "app/CMainDlg.h"
#include "app/KeyAssignmentFlow.h"
#include "app/WindowPort.h"
#include "connection/KeyboardConnection.h"
#include "controls/CoordButtonImage.h"
#include "controls/ICoordButtonClickListener.h"
#include "controls/STabCtrl2.h"
#include "macro/AssignmentStore.h"
#include "macro_dialog/FileDialogs.h"
#include "macro_dialog/KeyboardCapture.h"
#include "macro_dialog/MacroRecordDlg.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/VirtualClock.h"
#include "settings/AppConfig.h"
#include "sim/SimulatedKeyboard.h"
#include "ui/host/SMessageBox.h"
#include "ui/widgets/SComboBox.h"
#include "ui/widgets/SListView.h"

namespace keyloom::app {
namespace {

using macro::MacroRecordDlg;
using macro::test::Click;
using macro::test::Control;
using Lines = std::vector<std::string>;

constexpr std::uint8_t kKeyA = 0x04;
constexpr std::uint8_t kKeyB = 0x05;
constexpr std::uint8_t kKeyC = 0x06;
constexpr std::uint8_t kKeyF5 = 0x3E;
// What the simulated keyboard answers in the reply bytes that hold no slot.
constexpr std::uint8_t kUnused = sim::SimulatedKeyboard::kUnusedReplyByte;

constexpr std::string_view kLibrary = R"(<?xml version="1.0" encoding="UTF-8"?>
<group>
	<items name="Copy">
		<item code="4" name="A" state="0" delay="2000" />
		<item code="4" name="A" state="1" delay="400" />
	</items>
</group>
)";

using Bytes8 = std::array<std::uint8_t, 8>;

std::string Line(const char* direction, const Bytes8& bytes) {
  std::string line = std::string(direction) + " ";
  for (const std::uint8_t byte : bytes) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", byte);
    line += hex;
  }
  return line + " ok";
}

Lines operator+(Lines first, const Lines& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

// A record download: 28 frames of six record bytes, the first with command F1, each followed by
// its 8 ms.
Lines DownloadLines(const protocol::KeyAssignmentRecord::Bytes& record) {
  Lines lines;
  for (std::size_t frame = 0; frame < 28; ++frame) {
    Bytes8 bytes{0x07, static_cast<std::uint8_t>(frame == 0 ? 0xF1 : 0x00)};
    for (std::size_t i = 0; i < 6; ++i) {
      bytes[2 + i] = record[6 * frame + i];
    }
    lines.push_back(Line("set", bytes));
    lines.emplace_back("pause 8");
  }
  return lines;
}

// A slot read of the active profile holding `macros` and `remaps`.
Lines SlotReadLines(const std::array<std::uint8_t, 12>& macros,
                    const std::array<std::uint8_t, 12>& remaps) {
  const auto& m = macros;
  const auto& r = remaps;
  return {"pause 50",
          Line("set", {0x07, 0xFB, 0x01, 0, 0, 0, 0, 0}),
          "pause 10",
          "pause 10",
          Line("get", {0x07, kUnused, m[0], m[1], m[2], m[3], m[4], m[5]}),
          "pause 10",
          Line("get", {0x07, m[6], m[7], m[8], m[9], m[10], m[11], kUnused}),
          "pause 10",
          Line("get", {0x07, r[0], r[1], r[2], r[3], r[4], r[5], r[6]}),
          "pause 10",
          Line("get", {0x07, r[7], r[8], r[9], r[10], r[11], kUnused, kUnused})};
}

// What every change from the window starts with: the first profile selected and its slots,
// holding `macros` and `remaps`, read again.
Lines FreshTableLines(const std::array<std::uint8_t, 12>& macros,
                      const std::array<std::uint8_t, 12>& remaps) {
  return Lines{Line("set", {0x07, 0xFC, 0x01, 0, 0, 0, 0, 0}), "pause 50"} +
         SlotReadLines(macros, remaps);
}

// The main window on the simulated keyboard, which keeps its state in a folder that keyloomctl
// reads too, with a virtual clock and the trace of its transfers.
class MainWindow {
 public:
  explicit MainWindow(const std::filesystem::path& dataDir) {
    connection::KeyboardConnection::Settings settings;
    settings.simulate = true;
    settings.dataDir = dataDir;
    // The configured keyboard, as keyloom and keyloomctl look for it: their key map is one file.
    const settings::AppConfig& config = settings::AppConfig::Global();
    settings.selector = {config.vendorId, config.productId, config.interfaceNumber,
                         config.collectionNumber};
    settings.clock = &clock_;
    settings.transferTrace = [this](std::string_view line) { trace_.emplace_back(line); };
    window_ = std::make_unique<CMainDlg>(
        std::make_unique<connection::KeyboardConnection>(std::move(settings)),
        QStringLiteral("Keyloom.KeyAssignmentFlowTest"));
    if (!window_->Create()) {
      qFatal("the main window does not build");
    }
    window_->StartKeyboard();
    window_->show();
    if (!QTest::qWaitForWindowExposed(window_.get())) {
      qFatal("the main window is not shown");
    }
    trace_.clear();
  }

  CMainDlg& Window() { return *window_; }
  Lines TakeTrace() { return std::exchange(trace_, {}); }

  controls::CoordButtonImage& Picture() { return *window_->GetKeyboardPicture(); }

  // Presses and releases the mouse on the key, as the user does; `inDialog` acts in the dialog
  // that opens. Answers how many dialogs opened.
  int ClickKey(std::uint8_t key, const std::function<void(MacroRecordDlg&)>& inDialog) {
    int opened = 0;
    const ui::SHostDialog::ExecHook previous =
        ui::SHostDialog::SetExecHook([&](ui::SHostDialog& dialog) {
          ++opened;
          inDialog(dynamic_cast<MacroRecordDlg&>(dialog));
        });
    controls::CoordButtonImage& picture = Picture();
    QPoint where;
    for (const controls::CoordButton& button : picture.GetButtons()) {
      if (button.id == key) {
        where = picture.PictureToControl(button.rect).center().toPoint();
        break;
      }
    }
    QTest::mouseClick(&picture, Qt::LeftButton, Qt::NoModifier, where);
    ui::SHostDialog::SetExecHook(previous);
    return opened;
  }

  // The keys checked on the picture, by key code.
  [[nodiscard]] std::vector<int> CheckedKeys() {
    std::vector<int> keys;
    for (const controls::CoordButton& button : Picture().GetButtons()) {
      if (button.checked) {
        keys.push_back(button.id);
      }
    }
    std::ranges::sort(keys);
    return keys;
  }

  sim::SimulatedKeyboardState Keyboard() {
    return window_->Connection().Simulator()->CurrentState();
  }

 private:
  protocol::VirtualClock clock_;
  Lines trace_;
  std::unique_ptr<CMainDlg> window_;
};

void ShowPage(MacroRecordDlg& dialog, int page) {
  Control<controls::STabCtrl2>(dialog, QStringLiteral("tab_macro_mode_selection"))
      .SetCurSel(page, true);
}

void Press(MacroRecordDlg& dialog, const char* button) {
  Click(Control(dialog, QString::fromLatin1(button)));
}

// Picks the first group and confirms.
void ConfirmMacro(MacroRecordDlg& dialog) {
  ShowPage(dialog, MacroRecordDlg::kMacroPage);
  Control<ui::SListView>(dialog, QStringLiteral("macro_group")).SetSel(0);
  Press(dialog, "btnOK");
}

// Presses F5 on the single-key page and confirms.
void ConfirmSingleKeyF5(MacroRecordDlg& dialog) {
  ShowPage(dialog, MacroRecordDlg::kSingleKeyPage);
  QTest::keyClick(&dialog, Qt::Key_F5);
  Press(dialog, "btnOK");
}

// Runs keyloomctl; answers its standard output, or fails the test.
QByteArray Keyloomctl(const QStringList& arguments) {
  QProcess process;
  process.start(QStringLiteral(KEYLOOM_BIN_DIR "/keyloomctl"), arguments);
  if (!process.waitForFinished(60000) || process.exitCode() != 0) {
    qFatal("keyloomctl %s failed: %s", qPrintable(arguments.join(QLatin1Char(' '))),
           process.readAllStandardError().constData());
  }
  return process.readAllStandardOutput();
}

QString Path(const std::filesystem::path& path) {
  return QString::fromStdString(path.string());
}

// A window port that writes down what the flow asks of it.
class FakeWindow : public WindowPort {
 public:
  QWidget* Owner() override { return nullptr; }
  ResponsiveClock* SequenceClock() const override { return nullptr; }
  int ShownProfile() const override { return 0; }
  void ShowProfile(int /*index*/) override {}
  void MarkAssignedKeys() override { ++marks; }
  void ShowLighting(std::optional<int> /*ledMode*/) override {}
  QString LedModeName(int ledMode) const override { return QString::number(ledMode); }
  void ShowMenuUnder(const QString& /*buttonName*/, const ui::PopupMenu& /*menu*/) override {}
  void Tell(const QString& text, const QString& /*replacing*/) override { told.append(text); }
  void Disconnect() override {}
  bool Reconnect() override { return true; }

  QStringList told;
  int marks = 0;
};

}  // namespace

class KeyAssignmentFlowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() {
    // The dialogs keep their choices and the macro library in a folder of the test's.
    QVERIFY(macro::AssignmentStore::SetGlobalFolder(userDir_.path().toStdString()));
    app_ = macro::test::MakeApplication();
  }
  void init() {
    macro::test::WriteFile(UserFile("macro.xml"), kLibrary);
    macro::AssignmentStore& store = macro::AssignmentStore::Global();
    store.page = MacroRecordDlg::kMacroPage;
    store.repeat = 1;
    store.groupsel = 0;
    dataDir_ = std::make_unique<QTemporaryDir>();
    main_ = std::make_unique<MainWindow>(dataDir_->path().toStdString());
  }
  void cleanup() {
    main_.reset();
    macro::test::DeleteDestroyedControls();
    dataDir_.reset();
    ui::SMessageBox::ClearNextAnswers();
  }
  void cleanupTestCase() { app_.reset(); }

  void aPressAndReleaseOpensTheDialogOnceAndCancelSendsNothing() {
    const int opened = main_->ClickKey(kKeyA, [](MacroRecordDlg& dialog) {
      QCOMPARE(Control(dialog, QStringLiteral("text_recording_keys")).GetText(),
               QStringLiteral("A"));
      Press(dialog, "btnCancel");
    });
    QCOMPARE(opened, 1);
    QVERIFY(main_->TakeTrace().empty());
    // A press alone opens nothing.
    QVERIFY(!main_->Window().OnCoordButtonClick(
        kKeyA, QStringLiteral("A"), controls::ICoordButtonClickListener::kEventPress, 0, 0, 0));
    QVERIFY(main_->TakeTrace().empty());
  }

  // The flow needs only its port of the window: it tells what came of the dialog there, and
  // marks the keys itself only when the dialog changed nothing on the keyboard.
  void theFlowWorksThroughItsPort() {
    struct Case {
      const char* what;
      std::function<void(MacroRecordDlg&)> inDialog;
      QStringList told;
      int marks;
      std::uint8_t remapped;
    };
    const std::vector<Case> cases = {
        {"assigned", ConfirmSingleKeyF5, {QStringLiteral("A now sends “F5”")}, 0, kKeyA},
        {"cancelled", [](MacroRecordDlg& dialog) { Press(dialog, "btnCancel"); }, {}, 1, 0},
    };
    for (const Case& c : cases) {
      protocol::VirtualClock clock;
      connection::KeyboardConnection::Settings settings;
      settings.simulate = true;
      settings.clock = &clock;
      connection::KeyboardConnection keyboard(std::move(settings));
      QVERIFY(keyboard.Open());
      FakeWindow window;
      KeyAssignmentFlow::Context context{
          .keyboardConnection = keyboard, .window = window, .profileEntry = 0, .dialog = {}};
      const ui::SHostDialog::ExecHook previous = ui::SHostDialog::SetExecHook(
          [&](ui::SHostDialog& dialog) { c.inDialog(dynamic_cast<MacroRecordDlg&>(dialog)); });
      KeyAssignmentFlow::OnCoordButtonClick(context, kKeyA, QStringLiteral("A"),
                                            controls::ICoordButtonClickListener::kEventRelease);
      ui::SHostDialog::SetExecHook(previous);
      QVERIFY2(window.told == c.told, c.what);
      QVERIFY2(window.marks == c.marks, c.what);
      QVERIFY2(keyboard.State().slots.slot(protocol::KeySlotTable::Half::kRemap, 0) == c.remapped,
               c.what);
    }
  }

  // The window shows what its connection does for anyone: a key assigned and a profile selected
  // by other code mark the key and move the profile list.
  void theWindowFollowsItsConnection() {
    keymap::KeyContent content;
    content.kind = keymap::ContentKind::kSingleKey;
    content.target = kKeyF5;
    connection::KeyboardConnection& keyboard = main_->Window().Connection();
    QCOMPARE(keyboard.Assign(0, 0, content, {{kKeyC, "C"}}).outcome,
             protocol::AssignmentOutcome::kDone);
    QCOMPARE(main_->CheckedKeys(), std::vector<int>{kKeyC});
    QVERIFY(keyboard.SelectProfile(1).whole);
    QCOMPARE(main_->Window().GetProfileEntry(), 1);
    QVERIFY(main_->CheckedKeys().empty());
  }

  void aMacroGoesIntoAMacroSlot() {
    QCOMPARE(main_->ClickKey(kKeyB, ConfirmMacro), 1);

    protocol::KeyAssignmentRecord::Bytes record{1, 1, kKeyB, 1, 0x04, 0x54, 0x04, 0xA8};
    QCOMPARE(main_->TakeTrace(), FreshTableLines({}, {}) + DownloadLines(record) +
                                     Lines{"pause 20"} + SlotReadLines({kKeyB}, {}));
    QCOMPARE(main_->Keyboard().profiles[0].macros[0].record.bytes(), record);
    QCOMPARE(main_->CheckedKeys(), std::vector<int>{kKeyB});

    // Again for the same key, which the dialog opens on (played once), now played twice: the
    // same slot; another key takes the next one.
    main_->ClickKey(kKeyB, [](MacroRecordDlg& dialog) {
      Control(dialog, QStringLiteral("edit_macro_repeat_times")).SetText(QStringLiteral("2"));
      ConfirmMacro(dialog);
    });
    main_->ClickKey(kKeyC, ConfirmMacro);
    const sim::SimulatedKeyboardState keyboard = main_->Keyboard();
    QCOMPARE(keyboard.profiles[0].macros[0].record.repeatCount(), 2);
    QCOMPARE(keyboard.profiles[0].macros[1].keyCode, kKeyC);
    QCOMPARE(main_->CheckedKeys(), (std::vector<int>{kKeyB, kKeyC}));
  }

  void otherChoicesBecomeRemapsOrChords() {
    QCOMPARE(main_->ClickKey(kKeyA, ConfirmSingleKeyF5), 1);
    QCOMPARE(main_->TakeTrace(),
             (FreshTableLines({}, {}) +
              Lines{Line("set", {0x07, 0xFA, 1, 1, kKeyA, 0x01, kKeyF5, 0x01}), "pause 20"} +
              SlotReadLines({}, {kKeyA})));
    QCOMPARE(main_->Keyboard().profiles[0].remaps[0].targetKeyCode, kKeyF5);

    const settings::AppConfig& config = settings::AppConfig::Global();
    QVERIFY(!config.mediaKeys.empty() && !config.functionKeys.empty());
    main_->ClickKey(kKeyB, [](MacroRecordDlg& dialog) {
      ShowPage(dialog, MacroRecordDlg::kMediaKeyPage);
      Control<ui::SComboBox>(dialog, QStringLiteral("cmb_media_keys")).SetCurSel(0, true);
      Press(dialog, "btnOK");
    });
    QCOMPARE(main_->Keyboard().profiles[0].remaps[1].targetKeyCode,
             static_cast<std::uint8_t>(config.mediaKeys[0].codes[0]));

    main_->ClickKey(kKeyC, [](MacroRecordDlg& dialog) {
      ShowPage(dialog, MacroRecordDlg::kFunctionKeyPage);
      Control<ui::SComboBox>(dialog, QStringLiteral("cmb_function_keys")).SetCurSel(0, true);
      Press(dialog, "btnOK");
    });
    const protocol::KeyAssignmentRecord chord = main_->Keyboard().profiles[0].macros[0].record;
    QCOMPARE(chord.keyCode(), kKeyC);
    QCOMPARE(chord.repeatCount(), 1);
    QCOMPARE(chord.Event(0)->keyCode, static_cast<std::uint8_t>(config.functionKeys[0].codes[0]));
    QCOMPARE(main_->CheckedKeys(), (std::vector<int>{kKeyA, kKeyB, kKeyC}));
  }

  void deleteClearsTheKey() {
    main_->ClickKey(kKeyA, ConfirmMacro);
    main_->ClickKey(kKeyB, ConfirmSingleKeyF5);
    main_->TakeTrace();

    main_->ClickKey(kKeyA, [](MacroRecordDlg& dialog) { Press(dialog, "btnDelete"); });
    QCOMPARE(main_->TakeTrace(), FreshTableLines({kKeyA}, {kKeyB}) + DownloadLines({1, 1}) +
                                     SlotReadLines({}, {kKeyB}));
    main_->ClickKey(kKeyB, [](MacroRecordDlg& dialog) { Press(dialog, "btnDelete"); });
    QCOMPARE(main_->TakeTrace(),
             (FreshTableLines({}, {kKeyB}) +
              Lines{Line("set", {0x07, 0xFA, 1, 1, 0, 0x01, 0, 0x01}), "pause 10"} +
              SlotReadLines({}, {})));
    QVERIFY(main_->CheckedKeys().empty());
  }

  // The select before a change is lost: the slot read after it is not the profile's, so
  // nothing is sent for the key, and the window says why.
  void aChangeFromATableThatIsNotWholeIsNotMadeAndTold() {
    main_->Window().Connection().Simulator()->FailNextTransfers(1);
    main_->ClickKey(kKeyA, ConfirmSingleKeyF5);

    const Lines trace = main_->TakeTrace();
    QCOMPARE(trace.size(), FreshTableLines({}, {}).size());
    QCOMPARE(main_->Window().GetTrayCommands().GetNoticeLine().Messages(),
             QStringList{QLatin1String(KeyAssignmentFlow::kSlotsUnknownText)});
    QCOMPARE(main_->Keyboard(), sim::SimulatedKeyboardState{});
  }

  void aFullMacroHalfRefusesEvenARemap() {
    protocol::Link& link = main_->Window().Connection().Link();
    for (std::uint8_t slot = 0; slot < 12; ++slot) {
      protocol::KeyAssignmentRecord taken;
      taken.SetProfileNumber(1);
      taken.SetSlotNumber(static_cast<std::uint8_t>(slot + 1));
      taken.SetKeyCode(static_cast<std::uint8_t>(0x10 + slot));
      taken.SetRepeatCount(1);
      protocol::WriteKeyRecord(link, taken);
    }
    main_->Window().Connection().ReadSlots();
    main_->TakeTrace();

    ui::SMessageBox::SetNextAnswer(ui::SMessageBox::kIdOk);
    main_->ClickKey(kKeyA, ConfirmSingleKeyF5);

    QCOMPARE(main_->TakeTrace(),
             FreshTableLines(
                 {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B}, {}));
    const std::vector<ui::SMessageBox::Question> questions = ui::SMessageBox::TakeQuestions();
    QCOMPARE(questions.size(), std::size_t{1});
    QCOMPARE(questions[0].caption, QStringLiteral("Warning"));
    QCOMPARE(questions[0].text,
             QStringLiteral("Insufficient space, please delete the record button first."));
  }

  // The profile's free macro slots are told on the main window before a key is clicked, and in
  // the dialog for the key, with what they mean for it.
  void theFreeMacroSlotsAreToldBeforeAndInTheDialog() {
    ui::SWindow& line = Control(main_->Window(), QStringLiteral("free_macro_slots"));
    ui::SWindow& count = Control(main_->Window(), QStringLiteral("text_free_macro_slots"));
    QVERIFY(line.isVisible());
    QCOMPARE(count.GetText(), QStringLiteral("12/12"));
    main_->ClickKey(kKeyB, ConfirmMacro);
    QCOMPARE(count.GetText(), QStringLiteral("11/12"));

    QStringList told;
    for (const std::uint8_t key : {kKeyB, kKeyC}) {
      main_->ClickKey(key, [&told](MacroRecordDlg& dialog) {
        told.append(Control(dialog, QStringLiteral("text_free_slots")).GetText());
        Press(dialog, "btnCancel");
      });
    }
    QCOMPARE(told,
             (QStringList{QStringLiteral("Free macro slots in this profile: 11 of 12. This key "
                                         "keeps the macro slot it has."),
                          QStringLiteral("Free macro slots in this profile: 11 of 12. A remap "
                                         "needs a free macro slot too.")}));

    // A slot read that lost a reply tells nothing of free slots.
    main_->Window().Connection().Simulator()->FailNextTransfers(1);
    main_->ClickKey(kKeyA, ConfirmSingleKeyF5);
    QVERIFY(!line.isVisible());
  }

  void keyloomctlSeesWhatThePictureShows() {
    main_->ClickKey(kKeyA, ConfirmMacro);
    main_->ClickKey(kKeyB, ConfirmSingleKeyF5);
    const QJsonObject slots =
        QJsonDocument::fromJson(
            Keyloomctl({QStringLiteral("--simulate"), QStringLiteral("--data-dir"),
                        dataDir_->path(), QStringLiteral("--json"), QStringLiteral("slots")}))
            .object();
    std::vector<int> assigned;
    QStringList does;
    for (const char* half : {"macroSlots", "remapSlots"}) {
      for (const QJsonValue slot : slots.value(QLatin1String(half)).toArray()) {
        if (const int code = slot.toObject().value(QLatin1String("code")).toInt(); code != 0) {
          assigned.push_back(code);
          const QJsonObject assignment =
              slot.toObject().value(QLatin1String("assignment")).toObject();
          does.append(assignment.value(QLatin1String("kind")).toString() + QLatin1Char(' ') +
                      assignment.value(QLatin1String("name")).toString());
        }
      }
    }
    std::ranges::sort(assigned);
    QCOMPARE(assigned, (std::vector<int>{kKeyA, kKeyB}));
    QCOMPARE(main_->CheckedKeys(), assigned);
    // What the window chose, as keyloomctl tells it.
    QCOMPARE(does, (QStringList{QStringLiteral("macro Copy"), QStringLiteral("key ")}));

    // And the other way round: the window tells what keyloomctl assigned, once it reads the
    // keyboard again.
    Keyloomctl({QStringLiteral("--simulate"), QStringLiteral("--data-dir"), dataDir_->path(),
                QStringLiteral("assign"), QStringLiteral("C"), QStringLiteral("--media"),
                QStringLiteral("Mute")});
    main_->Window().OnDeviceChange();
    QCOMPARE(main_->Picture().ButtonTip(kKeyC), QStringLiteral("C: Mute"));
  }

  void aRecordedMacroExportsAndImportsUnchanged() {
    const std::filesystem::path exported =
        std::filesystem::path(dataDir_->path().toStdString()) / "recorded.mcr";
    main_->ClickKey(kKeyA, [&exported](MacroRecordDlg& dialog) {
      Press(dialog, "groupAdd");
      Control<ui::SListView>(dialog, QStringLiteral("macro_group")).SetSel(1);
      Click(Control(dialog, QStringLiteral("chk_macro_record")));
      macro::KeyboardHook& hook = macro::KeyboardCapture::Hook();
      for (const std::uint32_t key : {0xA2U, 0x43U}) {
        hook.Dispatch(macro::kHookActionCode, macro::kKeyDownMessage, {key});
      }
      for (const std::uint32_t key : {0x43U, 0xA2U}) {
        hook.Dispatch(macro::kHookActionCode, macro::kKeyUpMessage, {key});
      }
      Click(Control(dialog, QStringLiteral("chk_macro_record")));
      macro::FileDialogs::SetNextFileName(Path(exported));
      Press(dialog, "groupExport");
      Press(dialog, "btnCancel");
    });

    QTemporaryDir other;
    const QStringList dataDir = {QStringLiteral("--data-dir"), other.path()};
    Keyloomctl(dataDir +
               QStringList{QStringLiteral("macros"), QStringLiteral("import"), Path(exported)});
    const QJsonArray events =
        QJsonDocument::fromJson(
            Keyloomctl(dataDir + QStringList{QStringLiteral("--json"), QStringLiteral("macros"),
                                             QStringLiteral("show"), QStringLiteral("#1")}))
            .object()
            .value(QLatin1String("events"))
            .toArray();
    QStringList shown;
    for (const QJsonValue event : events) {
      const QJsonObject fields = event.toObject();
      shown.append(QStringList{fields.value(QLatin1String("code")).toString(),
                               fields.value(QLatin1String("name")).toString(),
                               fields.value(QLatin1String("state")).toString()}
                       .join(QLatin1Char(' ')));
    }
    QCOMPARE(shown, (QStringList{QStringLiteral("224 Ctrl Left 0"), QStringLiteral("6 C 0"),
                                 QStringLiteral("6 C 1"), QStringLiteral("224 Ctrl Left 1")}));
    const std::filesystem::path imported =
        std::filesystem::path(other.path().toStdString()) / "macro.xml";
    QCOMPARE(macro::test::ReadFile(imported), macro::test::ReadFile(exported));
  }

 private:
  [[nodiscard]] std::filesystem::path UserFile(const char* name) const {
    return std::filesystem::path(userDir_.path().toStdString()) / name;
  }

  QTemporaryDir userDir_;
  std::unique_ptr<ui::SApplication> app_;
  std::unique_ptr<QTemporaryDir> dataDir_;
  std::unique_ptr<MainWindow> main_;
};

}  // namespace keyloom::app

QTEST_MAIN(keyloom::app::KeyAssignmentFlowTest)
#include "KeyAssignmentFlowTest.moc"

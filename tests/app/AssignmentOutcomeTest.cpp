#include <QTemporaryDir>
#include <QTest>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "DialogTestSupport.h"
#include "MainWindowFixture.h"
#include "app/CMainDlg.h"
#include "app/KeyAssignmentFlow.h"
#include "app/Language.h"
#include "controls/CoordButtonImage.h"
#include "controls/ICoordButtonClickListener.h"
#include "controls/STabCtrl2.h"
#include "keymap/KeyContent.h"
#include "macro/AssignmentStore.h"
#include "macro_dialog/MacroRecordDlg.h"
#include "protocol/KeyboardProtocol.h"
#include "ui/host/SHostDialog.h"
#include "ui/widgets/SComboBox.h"
#include "ui/widgets/SListView.h"

namespace keyloom::app {
namespace {

using keymap::ContentKind;
using macro::MacroRecordDlg;
using protocol::AssignmentOutcome;

// No content: nothing was chosen.
constexpr int kNothingChosen = -1;

constexpr std::uint8_t kF5 = 0x3E;

// A short macro, and one of 90 events, more than a key holds.
std::string Library() {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<group>\n"
      "\t<items name=\"Copy\">\n"
      "\t\t<item code=\"224\" name=\"Ctrl Left\" state=\"0\" delay=\"35\" />\n"
      "\t\t<item code=\"6\" name=\"C\" state=\"0\" delay=\"60\" />\n"
      "\t\t<item code=\"6\" name=\"C\" state=\"1\" delay=\"20\" />\n"
      "\t\t<item code=\"224\" name=\"Ctrl Left\" state=\"1\" delay=\"0\" />\n"
      "\t</items>\n\t<items name=\"Long\">\n";
  for (int pair = 0; pair < 45; ++pair) {
    xml +=
        "\t\t<item code=\"4\" name=\"A\" state=\"0\" delay=\"10\" />\n"
        "\t\t<item code=\"4\" name=\"A\" state=\"1\" delay=\"10\" />\n";
  }
  return xml + "\t</items>\n</group>\n";
}

// What the user does in the dialog, ending it.
using InDialog = std::function<void(MacroRecordDlg&)>;

void Press(MacroRecordDlg& dialog, const char* button) {
  macro::test::Click(macro::test::Control(dialog, QString::fromLatin1(button)));
}

void ShowPage(MacroRecordDlg& dialog, int page) {
  macro::test::Control<controls::STabCtrl2>(dialog, QStringLiteral("tab_macro_mode_selection"))
      .SetCurSel(page, true);
}

InDialog Macro(int row) {
  return [row](MacroRecordDlg& dialog) {
    ShowPage(dialog, MacroRecordDlg::kMacroPage);
    macro::test::Control<ui::SListView>(dialog, QStringLiteral("macro_group")).SetSel(row);
    Press(dialog, "btnOK");
  };
}

InDialog Entry(int page, const char* combo) {
  return [page, combo](MacroRecordDlg& dialog) {
    ShowPage(dialog, page);
    macro::test::Control<ui::SComboBox>(dialog, QString::fromLatin1(combo)).SetCurSel(0, true);
    Press(dialog, "btnOK");
  };
}

InDialog SingleKey(Qt::Key key) {
  return [key](MacroRecordDlg& dialog) {
    ShowPage(dialog, MacroRecordDlg::kSingleKeyPage);
    QTest::keyClick(&dialog, key);
    Press(dialog, "btnOK");
  };
}

InDialog ResetKey() {
  return [](MacroRecordDlg& dialog) { Press(dialog, "btnDelete"); };
}

}  // namespace

class AssignmentOutcomeTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(macro::AssignmentStore::SetGlobalFolder(userDir_.path().toStdString()));
  }

  void init() {
    macro::test::WriteFile(std::filesystem::path(userDir_.path().toStdString()) / "macro.xml",
                           Library());
    macro::AssignmentStore::Global().repeat = 1;
  }

  void cleanup() { macro::test::DeleteDestroyedControls(); }

  // What the window tells for each outcome of an assignment or a removal.
  void outcomeTexts_data() {
    QTest::addColumn<int>("outcome");
    QTest::addColumn<bool>("removal");
    QTest::addColumn<int>("kind");  // kNothingChosen, or the chosen content's ContentKind
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("shortened");
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("told");
    const auto row = [](const char* title, AssignmentOutcome outcome, bool removal, int kind,
                        const char* name, bool shortened, int page, QStringList told) {
      QTest::newRow(title) << int(outcome) << removal << kind << QString::fromUtf8(name)
                           << shortened << page << told;
    };
    constexpr int kMacroPage = MacroRecordDlg::kMacroPage;
    constexpr int kMacro = int(ContentKind::kMacro);
    const AssignmentOutcome done = AssignmentOutcome::kDone;
    row("sends", done, false, int(ContentKind::kMediaKey), "Mute", false,
        MacroRecordDlg::kMediaKeyPage, {QString::fromUtf8("F5 now sends “Mute”")});
    row("sends a key", done, false, int(ContentKind::kSingleKey), "", false,
        MacroRecordDlg::kSingleKeyPage, {QString::fromUtf8("F5 now sends “Esc”")});
    row("plays a chord", done, false, int(ContentKind::kChord), "Copy", false,
        MacroRecordDlg::kFunctionKeyPage, {QString::fromUtf8("F5 now plays “Copy”")});
    row("shortened", done, false, kMacro, "Long", true, kMacroPage,
        {QString::fromUtf8("F5 now plays “Long”"),
         QStringLiteral("The macro was shortened to 82 events")});
    row("a macro without a name", done, false, kMacro, "", false, kMacroPage,
        {QStringLiteral("F5 has its new assignment")});
    row("no space", AssignmentOutcome::kNoSpace, false, kMacro, "Copy", false, kMacroPage, {});
    row("key table unknown", AssignmentOutcome::kSlotsUnknown, false, kMacro, "Copy", false,
        kMacroPage,
        {QStringLiteral("The keyboard's key table could not be read, so nothing was changed.")});
    row("not taken", AssignmentOutcome::kNotTaken, false, kMacro, "Copy", false, kMacroPage,
        {QStringLiteral("The keyboard did not take the assignment")});
    row("rejected", AssignmentOutcome::kRejected, false, kMacro, "Copy", false, kMacroPage,
        {QStringLiteral("The keyboard did not take the assignment")});
    row("not removed", AssignmentOutcome::kNotTaken, true, kNothingChosen, "", false, -1,
        {QStringLiteral("The keyboard did not remove the assignment")});
    row("unconfirmed", AssignmentOutcome::kUnconfirmed, false, kMacro, "Copy", false, kMacroPage,
        {QStringLiteral(
            "The keyboard's answer was incomplete: whether it took the change is not known.")});
    const AssignmentOutcome nothing = AssignmentOutcome::kNothingToAssign;
    row("nothing on the single-key page", nothing, false, kNothingChosen, "", false,
        MacroRecordDlg::kSingleKeyPage,
        {QStringLiteral("Nothing was assigned: press the key it should send first")});
    row("nothing on the media-key page", nothing, false, kNothingChosen, "", false,
        MacroRecordDlg::kMediaKeyPage,
        {QStringLiteral("Nothing was assigned: choose an entry first")});
    row("nothing on the shortcut page", nothing, false, kNothingChosen, "", false,
        MacroRecordDlg::kFunctionKeyPage,
        {QStringLiteral("Nothing was assigned: choose an entry first")});
  }

  void outcomeTexts() {
    QFETCH(int, outcome);
    QFETCH(bool, removal);
    QFETCH(int, kind);
    QFETCH(QString, name);
    QFETCH(bool, shortened);
    QFETCH(int, page);
    QFETCH(QStringList, told);
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    protocol::AssignmentResult result;
    result.outcome = static_cast<AssignmentOutcome>(outcome);
    if (removal) {
      result.half = protocol::KeySlotTable::Half::kMacro;
      result.slot = 0;
    }
    MacroRecordDlg::Choice choice;
    choice.page = page;
    choice.shortened = shortened;
    if (kind != kNothingChosen) {
      keymap::KeyContent& content = choice.content.emplace();
      content.kind = static_cast<ContentKind>(kind);
      content.name = name.toStdString();
      content.target = 0x29;  // Esc
    }

    QCOMPARE(KeyAssignmentFlow::OutcomeTexts(result, removal, QStringLiteral("F5"), choice), told);
  }

  // After the dialog closes, the window says what the key does now, in the window's language,
  // or why it does not.
  void theWindowTellsWhatCameOfTheDialog_data() {
    QTest::addColumn<QString>("translator");
    QTest::addColumn<bool>("assignedBefore");
    QTest::addColumn<InDialog>("inDialog");
    QTest::addColumn<QStringList>("told");
    // What the key's tooltip says afterwards: what the key map keeps of the choice.
    QTest::addColumn<QString>("tip");
    const QString english = QString::fromLatin1(kEnglishTranslator);
    const auto u = [](const char* text) { return QString::fromUtf8(text); };
    QTest::newRow("macro") << english << false << Macro(0) << QStringList{u("F5 now plays “Copy”")}
                           << u("F5: macro “Copy”, played once");
    QTest::newRow("macro in Chinese")
        << QString::fromLatin1(kChineseTranslator) << false << Macro(0)
        << QStringList{u("F5 现在播放“Copy”")} << u("F5：宏“Copy”，播放 1 次");
    QTest::newRow("long macro") << english << false << Macro(1)
                                << QStringList{u("F5 now plays “Long”"),
                                               u("The macro was shortened to 82 events")}
                                << u("F5: macro “Long”, played once");
    QTest::newRow("no macro chosen")
        << english << false << Macro(-1)
        << QStringList{u("Nothing was assigned: choose a macro first")} << u("F5");
    QTest::newRow("media key") << english << false
                               << Entry(MacroRecordDlg::kMediaKeyPage, "cmb_media_keys")
                               << QStringList{u("F5 now sends “Play/Pause”")}
                               << u("F5: Play/Pause");
    QTest::newRow("key combination")
        << english << false << Entry(MacroRecordDlg::kFunctionKeyPage, "cmb_function_keys")
        << QStringList{u("F5 now plays “Copy”")} << u("F5: chord “Copy”");
    QTest::newRow("single key") << english << false << SingleKey(Qt::Key_Escape)
                                << QStringList{u("F5 now sends “Esc”")} << u("F5 → Esc");
    QTest::newRow("reset") << english << true << ResetKey()
                           << QStringList{u("F5 has no assignment any more")} << u("F5");
    QTest::newRow("reset of a key without assignment")
        << english << false << ResetKey() << QStringList{u("F5 had no assignment")} << u("F5");
  }

  void theWindowTellsWhatCameOfTheDialog() {
    QFETCH(QString, translator);
    QFETCH(bool, assignedBefore);
    QFETCH(InDialog, inDialog);
    QFETCH(QStringList, told);
    QFETCH(QString, tip);
    const auto app = test::MakeApplication(translator);
    test::MainWindowUnderTest main;
    if (assignedBefore) {
      protocol::AssignKeyMapping(main.window().Connection().Link(), 0, 0, kF5, 0x05);
    }
    const ui::SHostDialog::ExecHook previous = ui::SHostDialog::SetExecHook(
        [&inDialog](ui::SHostDialog& dialog) { inDialog(dynamic_cast<MacroRecordDlg&>(dialog)); });

    for (const int event : {controls::ICoordButtonClickListener::kEventPress,
                            controls::ICoordButtonClickListener::kEventRelease}) {
      main.window().OnCoordButtonClick(kF5, QStringLiteral("F5"), event, 0, 0, 0);
    }
    ui::SHostDialog::SetExecHook(previous);

    QCOMPARE(main.Messages(), told);
    QCOMPARE(main.window().GetKeyboardPicture()->ButtonTip(kF5), tip);
  }

  // Tab to the picture, arrows to F5, Enter: the same frames as a click on F5, and the same
  // dialog.
  void aKeyChosenWithTheKeyboardSendsWhatAClickSends() {
    const auto app = test::MakeApplication(QLatin1String(kEnglishTranslator));
    const ui::SHostDialog::ExecHook previous =
        ui::SHostDialog::SetExecHook([](ui::SHostDialog& dialog) {
          // Not Escape: worked from the keyboard, the dialog takes Escape as its cancel.
          SingleKey(Qt::Key_A)(dynamic_cast<MacroRecordDlg&>(dialog));
        });
    const auto journey = [](bool keyboard) {
      test::MainWindowUnderTest main;
      if (!main.ShowAndWait()) {
        return test::TraceLines{};
      }
      (void)main.TakeTrace();
      controls::CoordButtonImage& picture = *main.window().GetKeyboardPicture();
      if (keyboard) {
        main.window().activateWindow();
        picture.setFocus(Qt::TabFocusReason);
        for (int step = 0; step < 5; ++step) {
          QTest::keyClick(&picture, Qt::Key_Right);
        }
        QTest::keyClick(&picture, Qt::Key_Return);
      } else {
        for (const controls::CoordButton& key : picture.GetButtons()) {
          if (key.id == kF5) {
            QTest::mouseClick(&picture, Qt::LeftButton, Qt::NoModifier,
                              picture.PictureToControl(key.rect).center().toPoint());
          }
        }
      }
      return main.TakeTrace();
    };
    const test::TraceLines clicked = journey(false);
    const test::TraceLines typed = journey(true);
    ui::SHostDialog::SetExecHook(previous);

    QVERIFY(!clicked.empty());
    QCOMPARE(typed, clicked);
  }

 private:
  QTemporaryDir userDir_;
};

}  // namespace keyloom::app

Q_DECLARE_METATYPE(keyloom::app::InDialog)

QTEST_MAIN(keyloom::app::AssignmentOutcomeTest)
#include "AssignmentOutcomeTest.moc"

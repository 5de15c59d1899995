#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>

#include "DialogTestSupport.h"
#include "controls/STabCtrl2.h"
#include "macro/AssignmentStore.h"
#include "macro/MacroLibrary.h"
#include "macro_dialog/KeyboardCapture.h"
#include "macro_dialog/MacroRecordDlg.h"
#include "protocol/VirtualClock.h"
#include "settings/AppConfig.h"
#include "ui/widgets/SEdit.h"
#include "ui/widgets/SListView.h"

namespace keyloom::macro {
namespace {

using test::Click;
using test::Control;

constexpr std::string_view kLibrary = R"(<?xml version="1.0" encoding="UTF-8"?>
<group>
	<items name="Empty" />
</group>
)";

}  // namespace

// The keystrokes of the program's own hook on Linux: the dialog takes the keyboard while it
// captures, and the key events that reach it become the hook's messages.
class CaptureTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() {
    app_ = test::MakeApplication();
    folder_ = dir_.path().toStdString();
    test::WriteFile(folder_ / "macro.xml", kLibrary);
    store_ = std::make_unique<AssignmentStore>(folder_ / "store.xml");
    MacroRecordDlg::Environment environment;
    environment.store = store_.get();
    environment.libraryFile = folder_ / "macro.xml";
    environment.clock = &clock_;
    environment.config = &config_;
    dialog_ = std::make_unique<MacroRecordDlg>(keys_, environment);
    QVERIFY(dialog_->Create());
    dialog_->show();
    dialog_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
  }
  void cleanup() {
    dialog_.reset();
    test::DeleteDestroyedControls();
    store_.reset();
    app_.reset();
  }

  void holdsTheKeyboardWhileItCaptures() {
    // The dialog opens on the macro page without recording: the keyboard stays the desktop's,
    // as on the pages of the catalogues.
    QVERIFY(!KeyboardCapture::Hook().IsInstalled());
    QCOMPARE(QWidget::keyboardGrabber(), nullptr);
    ShowPage(2);
    QCOMPARE(QWidget::keyboardGrabber(), nullptr);
    ShowPage(0);
    Click(*Control<ui::SListView>(*dialog_, QStringLiteral("macro_group")).GetRowView(0));
    Click(Control(*dialog_, QStringLiteral("chk_macro_record")));
    QCOMPARE(QWidget::keyboardGrabber(), dialog_.get());
    Click(Control(*dialog_, QStringLiteral("chk_macro_record")));
    QCOMPARE(QWidget::keyboardGrabber(), nullptr);
    ShowPage(1);
    QCOMPARE(QWidget::keyboardGrabber(), dialog_.get());
    // Hidden, it lets the keyboard go; shown again, it takes it back.
    dialog_->hide();
    QCOMPARE(QWidget::keyboardGrabber(), nullptr);
    dialog_->show();
    dialog_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
    QCOMPARE(QWidget::keyboardGrabber(), dialog_.get());

    Click(Control(*dialog_, QStringLiteral("btnCancel")));
    QCOMPARE(dialog_->Exec(), MacroRecordDlg::kResultCancel);
    QVERIFY(!KeyboardCapture::Hook().IsInstalled());
    QCOMPARE(QWidget::keyboardGrabber(), nullptr);
    QVERIFY(KeyboardCapture::Hook().listeners().empty());
  }

  void recordsTheKeysItReceives() {
    Click(*Control<ui::SListView>(*dialog_, QStringLiteral("macro_group")).GetRowView(0));
    Click(Control(*dialog_, QStringLiteral("chk_macro_record")));
    clock_.SetNowMs(100);
    QTest::keyPress(dialog_.get(), Qt::Key_Enter, Qt::KeypadModifier);
    clock_.SetNowMs(130);
    QTest::keyRelease(dialog_.get(), Qt::Key_Enter, Qt::KeypadModifier);
    // Shift first, then the key that gives "!" with it.
    QTest::keyPress(dialog_.get(), Qt::Key_Exclam, Qt::ShiftModifier);
    // A key the table does not know is swallowed without a trace.
    QTest::keyPress(dialog_.get(), Qt::Key_VolumeUp);

    MacroLibrary saved;
    saved.Load(folder_ / "macro.xml");
    const MacroNode* group = saved.GroupAt(0);
    QVERIFY(group != nullptr);
    QCOMPARE(group->ChildCount(), 4);
    const auto event = [group](int index, std::string_view attribute) {
      return group->ChildAt(index)->Attribute(attribute).value_or("");
    };
    // The keypad's Enter is recorded as Enter.
    QCOMPARE(event(0, kCodeAttribute), std::string("40"));
    QCOMPARE(event(0, kNameAttribute), std::string("Enter"));
    QCOMPARE(event(0, kDelayAttribute), std::string("30"));
    QCOMPARE(event(1, kStateAttribute), std::string("1"));
    QCOMPARE(event(2, kNameAttribute), std::string("Shift Left"));
    QCOMPARE(event(3, kNameAttribute), std::string("1"));
  }

  void aHeldKeyRepeatsItsPressOnly() {
    Click(*Control<ui::SListView>(*dialog_, QStringLiteral("macro_group")).GetRowView(0));
    Click(Control(*dialog_, QStringLiteral("chk_macro_record")));
    const auto send = [this](QEvent::Type type, bool autoRepeat) {
      QKeyEvent event(type, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"), autoRepeat);
      QCoreApplication::sendEvent(dialog_.get(), &event);
    };
    send(QEvent::KeyPress, false);
    // Held down: the system repeats a release and a press.
    send(QEvent::KeyRelease, true);
    send(QEvent::KeyPress, true);
    send(QEvent::KeyRelease, false);

    MacroLibrary saved;
    saved.Load(folder_ / "macro.xml");
    const MacroNode* group = saved.GroupAt(0);
    QVERIFY(group != nullptr);
    QStringList states;
    for (int i = 0; i < group->ChildCount(); ++i) {
      states.append(
          QString::fromStdString(group->ChildAt(i)->Attribute(kStateAttribute).value_or("")));
    }
    QCOMPARE(states, (QStringList{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1")}));
  }

  void capturesTheSingleKey() {
    ShowPage(1);
    QTest::keyPress(dialog_.get(), Qt::Key_F5);
    QCOMPARE(Control(*dialog_, QStringLiteral("edit_single_key")).GetText(), QStringLiteral("F5"));
    QTest::keyPress(dialog_.get(), Qt::Key_VolumeUp);
    QCOMPARE(Control(*dialog_, QStringLiteral("edit_single_key")).GetUserData(), 0U);
  }

  void passesOnWhatItDoesNotSwallow() {
    // On the single-key page the window holds the keyboard; keys up are not swallowed there and
    // reach the field that has the focus. On the macro page without recording the window does
    // not hold it, and the keys go to the field directly.
    auto& repeat = Control<ui::SEdit>(*dialog_, QStringLiteral("edit_macro_repeat_times"));
    ShowPage(1);
    repeat.GetLineEdit()->setFocus();
    repeat.GetLineEdit()->selectAll();
    QTest::keyRelease(dialog_.get(), Qt::Key_4);
    ShowPage(0);
    QCOMPARE(QWidget::keyboardGrabber(), nullptr);
    QTest::keyClicks(repeat.GetLineEdit(), QStringLiteral("42"));
    QCOMPARE(repeat.GetText(), QStringLiteral("42"));
    QCOMPARE(store_->repeat, 42);
  }

 private:
  void ShowPage(int page) {
    Control<controls::STabCtrl2>(*dialog_, QStringLiteral("tab_macro_mode_selection"))
        .SetCurSel(page, true);
  }

  std::unique_ptr<ui::SApplication> app_;
  QTemporaryDir dir_;
  std::filesystem::path folder_;
  std::unique_ptr<AssignmentStore> store_;
  protocol::VirtualClock clock_;
  settings::AppConfig config_;
  protocol::SelectedKeys keys_{{0x04, "A"}};
  std::unique_ptr<MacroRecordDlg> dialog_;
};

}  // namespace keyloom::macro

QTEST_MAIN(keyloom::macro::CaptureTest)
#include "CaptureTest_linux.moc"

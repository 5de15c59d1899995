#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>
#include <vector>

#include <pugixml.hpp>

#include "UiTestSupport.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/events/ITimelineHandler.h"
#include "ui/events/Timeline.h"
#include "ui/host/PopupMenu.h"
#include "ui/host/SHostDialog.h"
#include "ui/host/SHostWnd.h"
#include "ui/host/SMessageBox.h"
#include "ui/skin/Translator.h"
#include "ui/widgets/SCheckBox.h"
#include "ui/widgets/SComboBox.h"
#include "ui/widgets/SEdit.h"
#include "ui/widgets/STabCtrl.h"
#include "ui/widgets/STabPage.h"

namespace keyloom::ui {
namespace {

// A host window that counts its window messages.
class CountingHost : public SHostWnd {
 public:
  explicit CountingHost(const QString& layout = QStringLiteral("XML_MAINWND")) : SHostWnd(layout) {}

  void OnInitDialog() override {
    ++inits;
    versionFoundAtInit = FindChildByName(QStringLiteral("version")) != nullptr;
  }
  void OnDestroy() override {
    ++destroys;
    SHostWnd::OnDestroy();
  }
  void OnCommand(int notifyCode, int id) override { commands.emplace_back(notifyCode, id); }
  void OnEvent(EventArgs& args) override { events.emplace_back(args.eventId, args.senderName); }

  int inits = 0;
  int destroys = 0;
  bool versionFoundAtInit = false;
  std::vector<std::pair<int, int>> commands;
  std::vector<std::pair<int, QString>> events;
};

// The key assignment dialog's buttons.
class ButtonDialog : public SHostDialog {
 public:
  ButtonDialog() : SHostDialog(QStringLiteral("LAYOUT:dialog")) {}

  void OnEvent(EventArgs& args) override {
    if (args.senderName == QStringLiteral("btnOK")) {
      EndDialog(kIdOk);
    } else if (args.senderName == QStringLiteral("btnCancel")) {
      EndDialog(kIdCancel);
    }
  }
};

// Ends its dialog while it is being initialised.
class HastyDialog : public SHostDialog {
 public:
  HastyDialog() : SHostDialog(QStringLiteral("dialog")) {}
  void OnInitDialog() override { EndDialog(42); }
};

// Counts destroy notifications.
class DestroyProbe : public SWindow {
 public:
  explicit DestroyProbe(int* destroyed) : destroyed_(destroyed) {}
  void OnDestroy() override { ++*destroyed_; }

 private:
  int* destroyed_;
};

// Animates for a given number of ticks.
class CountdownHandler : public ITimelineHandler {
 public:
  bool OnNextFrame() override {
    ++ticks;
    if (onTick) {
      onTick();
    }
    if (remaining > 0) {
      --remaining;
    }
    return remaining > 0;
  }

  int remaining = 0;
  int ticks = 0;
  std::function<void()> onTick;
};

// Runs `action` on the modal dialog that SHostDialog::Exec shows next.
class ExecHookScope {
 public:
  explicit ExecHookScope(SHostDialog::ExecHook hook)
      : previous_(SHostDialog::SetExecHook(std::move(hook))) {}
  ~ExecHookScope() { SHostDialog::SetExecHook(std::move(previous_)); }
  ExecHookScope(const ExecHookScope&) = delete;
  ExecHookScope& operator=(const ExecHookScope&) = delete;

 private:
  SHostDialog::ExecHook previous_;
};

void ClickLater(SHostDialog& dialog, const QString& button) {
  QTimer::singleShot(0, &dialog, [&dialog, button] {
    QTest::mouseClick(dialog.FindChildByName(button), Qt::LeftButton);
  });
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { app_ = test::MakeApplication(); }
  void cleanup() {
    SMessageBox::ClearNextAnswers();
    SMessageBox::TakeQuestions();
    PopupMenu::ClearNextChoice();
    test::DeleteDestroyedControls();
    app_.reset();
  }

  void initialisationComesOnceWithTheControlsBuilt() {
    CountingHost host;
    QVERIFY(host.Create());
    QCOMPARE(host.inits, 1);
    QVERIFY(host.versionFoundAtInit);
    // The edit's text from the layout reached no handler.
    QCOMPARE(host.FindChildByName(QStringLiteral("edit_macro_delay_time"))->GetText(),
             QStringLiteral("50"));
    QVERIFY(host.events.empty());
    QVERIFY(!host.Create());
    QCOMPARE(host.inits, 1);
  }

  void destroyingTheMainWindowEndsTheLoopWithSuccess() {
    CountingHost main;
    CountingHost other;
    QVERIFY(main.Create());
    QVERIFY(other.Create());
    int destroyed = 0;
    auto* probe = new DestroyProbe(&destroyed);
    probe->setParent(main.FindChildByName(QStringLiteral("body")));
    bool otherGoneFirst = false;
    QTimer::singleShot(0, &other, [&other] { other.DestroyWindow(); });
    QTimer::singleShot(20, &main, [&main, &other, &otherGoneFirst] {
      otherGoneFirst = !other.IsCreated();
      main.DestroyWindow();
    });
    QCOMPARE(app_->Run(main), 0);
    QVERIFY(otherGoneFirst);
    QCOMPARE(main.destroys, 1);
    QCOMPARE(destroyed, 1);
    QVERIFY(!main.IsCreated());
    QVERIFY(main.FindChildByName(QStringLiteral("version")) == nullptr);
    main.DestroyWindow();
    QCOMPARE(main.destroys, 1);
  }

  void aCloseRequestDestroysTheWindow() {
    CountingHost host;
    QVERIFY(host.Create());
    host.PostCloseRequest();
    QCOMPARE(host.destroys, 0);
    QTRY_COMPARE(host.destroys, 1);
    CountingHost closed;
    QVERIFY(closed.Create());
    closed.show();
    closed.close();
    QCOMPARE(closed.destroys, 1);
    QVERIFY(!closed.isVisible());
  }

  void windowsKeepNamedProperties() {
    CountingHost host;
    QVERIFY(!host.GetWindowProperty(QStringLiteral("Keyloom-test-instance")).has_value());
    host.SetWindowProperty(QStringLiteral("Keyloom-test-instance"), 1);
    QCOMPARE(host.GetWindowProperty(QStringLiteral("Keyloom-test-instance")),
             std::optional<int>(1));
    QVERIFY(host.RemoveWindowProperty(QStringLiteral("Keyloom-test-instance")));
    QVERIFY(!host.RemoveWindowProperty(QStringLiteral("Keyloom-test-instance")));
    QVERIFY(!host.GetWindowProperty(QStringLiteral("Keyloom-test-instance")).has_value());
  }

  void systemCommandsChangeTheWindowState() {
    CountingHost host;
    QVERIFY(host.Create());
    host.show();
    host.SendSysCommand(SHostWnd::kSysCommandMinimize);
    QVERIFY(host.windowState().testFlag(Qt::WindowMinimized));
    host.SendSysCommand(SHostWnd::kSysCommandMaximize);
    QVERIFY(host.windowState().testFlag(Qt::WindowMaximized));
    host.SendSysCommand(SHostWnd::kSysCommandRestore);
    QVERIFY(!host.windowState().testFlag(Qt::WindowMaximized));
    QVERIFY(!host.windowState().testFlag(Qt::WindowMinimized));
  }

  void aModalDialogAnswersTheResultItEndsWith() {
    CountingHost owner;
    QVERIFY(owner.Create());
    owner.show();
    bool modalToOwner = false;
    const ExecHookScope hook([&modalToOwner](SHostDialog& dialog) {
      modalToOwner = dialog.windowModality() == Qt::WindowModal && dialog.isVisible();
      ClickLater(dialog, QStringLiteral("btnOK"));
    });
    ButtonDialog dialog;
    QCOMPARE(dialog.Exec(&owner), SHostDialog::kIdOk);
    QVERIFY(modalToOwner);
    QVERIFY(!dialog.IsCreated());
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.Exec(&owner), SHostDialog::kIdOk);
  }

  void closingADialogCancelsIt() {
    const ExecHookScope hook([](SHostDialog& dialog) { dialog.PostCloseRequest(); });
    ButtonDialog dialog;
    QCOMPARE(dialog.Exec(), SHostDialog::kIdCancel);
    HastyDialog hasty;
    QCOMPARE(hasty.Exec(), 42);
    SHostDialog missing(QStringLiteral("no_such_layout"));
    QCOMPARE(missing.Exec(), SHostDialog::kExecFailed);
  }

  void theLanguageSwitchTranslatesEveryText() {
    CountingHost host;
    QVERIFY(host.Create());
    auto* version = host.FindChildByName(QStringLiteral("version"));
    auto* combo = host.FindChildByName2<SComboBox>(QStringLiteral("cmb_profile"));
    auto* tabs = host.FindChildByName2<STabCtrl>(QStringLiteral("tab_macro_mode_selection"));
    auto* edit = host.FindChildByName2<SEdit>(QStringLiteral("edit_single_key"));
    QCOMPARE(version->GetDisplayText(), QStringLiteral("Disconnected"));

    TranslatorManager& translators = app_->GetTranslatorManager();
    const std::shared_ptr<Translator> chinese = app_->LoadTranslator(QStringLiteral("lang_cn"));
    translators.SetLanguage(chinese->Name());
    translators.InstallTranslator(chinese);
    QCOMPARE(version->GetDisplayText(), QStringLiteral("Disconnected"));
    host.SendLanguageChanged();
    QCOMPARE(host.windowTitle(), QStringLiteral("键织"));
    QCOMPARE(version->GetDisplayText(), QStringLiteral("未连接"));
    QCOMPARE(version->GetText(), QStringLiteral("Disconnected"));
    QCOMPARE(host.FindChildByName(QStringLiteral("btn_close"))->toolTip(), QStringLiteral("关闭"));
    QCOMPARE(host.FindChildByName(QStringLiteral("chk_macro_record"))->GetDisplayText(),
             QStringLiteral("录制"));
    QCOMPARE(combo->GetItemDisplayText(0), QStringLiteral("配置 1"));
    QCOMPARE(combo->GetItemText(0), QStringLiteral("Profile 1"));
    QCOMPARE(tabs->GetItem(0)->GetDisplayTitle(), QStringLiteral("宏"));
    QCOMPARE(edit->GetLineEdit()->placeholderText(), QStringLiteral("按下一个键"));
    // A text set later is shown in the current language at once.
    version->SetText(QStringLiteral("Close"));
    QCOMPARE(version->GetDisplayText(), QStringLiteral("关闭"));

    const std::shared_ptr<Translator> english = app_->LoadTranslator(QStringLiteral("lang_en"));
    translators.SetLanguage(english->Name());
    translators.InstallTranslator(english);
    host.SendLanguageChanged();
    QCOMPARE(host.windowTitle(), QStringLiteral("Keyloom"));
    QCOMPARE(version->GetDisplayText(), QStringLiteral("Close"));
    QCOMPARE(combo->GetItemDisplayText(0), QStringLiteral("Profile one"));
    QCOMPARE(tabs->GetItem(0)->GetDisplayTitle(), QStringLiteral("Macro"));
    QCOMPARE(edit->GetLineEdit()->placeholderText(), QStringLiteral("Press a key"));
  }

  void theTimelineRunsOnlyWhileSomethingAnimates() {
    Timeline timeline;
    timeline.Wake();
    QVERIFY(!timeline.IsRunning());
    CountdownHandler first;
    CountdownHandler second;
    first.remaining = 3;
    timeline.RegisterHandler(&first);
    timeline.RegisterHandler(&second);
    timeline.RegisterHandler(&first);
    QCOMPARE(timeline.HandlerCount(), 2);
    QVERIFY(timeline.IsRunning());
    timeline.Tick();
    timeline.Tick();
    QVERIFY(timeline.IsRunning());
    timeline.Tick();
    QVERIFY(!timeline.IsRunning());
    QCOMPARE(first.ticks, 3);
    QCOMPARE(second.ticks, 3);
    // A handler that starts animating wakes the timeline, and the real timer drives it.
    first.remaining = 5;
    timeline.Wake();
    QVERIFY(timeline.IsRunning());
    QTRY_VERIFY(!timeline.IsRunning());
    QCOMPARE(first.ticks, 8);
    // Waking during a tick keeps it running even when every handler reported idle.
    second.onTick = [&timeline, &second] {
      second.onTick = nullptr;
      timeline.Wake();
    };
    timeline.Wake();
    timeline.Tick();
    QVERIFY(timeline.IsRunning());
    timeline.Tick();
    QVERIFY(!timeline.IsRunning());
    // A handler unregistered during a tick is not called any more.
    first.remaining = 10;
    first.onTick = [&timeline, &second] { timeline.UnregisterHandler(&second); };
    const int secondTicks = second.ticks;
    timeline.Wake();
    timeline.Tick();
    QCOMPARE(second.ticks, secondTicks);
    QVERIFY(timeline.IsRunning());
    timeline.UnregisterHandler(&first);
    QVERIFY(!timeline.IsRunning());
    QCOMPARE(timeline.HandlerCount(), 0);
  }

  void hostWindowsHaveATimelineEach() {
    CountingHost host;
    CountingHost other;
    CountdownHandler handler;
    handler.remaining = 2;
    host.RegisterTimelineHandler(&handler);
    QVERIFY(host.GetTimeline().IsRunning());
    QVERIFY(!other.GetTimeline().IsRunning());
    QTRY_VERIFY(!host.GetTimeline().IsRunning());
    handler.remaining = 1;
    host.WakeTimeline();
    QVERIFY(host.GetTimeline().IsRunning());
    host.UnregisterTimelineHandler(&handler);
    QVERIFY(!host.GetTimeline().IsRunning());
  }

  void presetAnswersAnswerMessageBoxes() {
    SMessageBox::SetNextAnswer(SMessageBox::kIdCancel);
    SMessageBox::SetNextAnswer(SMessageBox::kIdOk);
    QCOMPARE(SMessageBox::Show(nullptr, QStringLiteral("All settings will be restored?"),
                               QStringLiteral("Warning"), MessageBoxButtons::kOkCancel),
             SMessageBox::kIdCancel);
    QCOMPARE(SMessageBox::Show(nullptr, QStringLiteral("Insufficient space."),
                               QStringLiteral("Warning")),
             SMessageBox::kIdOk);
    const std::vector<SMessageBox::Question> questions = SMessageBox::TakeQuestions();
    QCOMPARE(questions.size(), std::size_t{2});
    QCOMPARE(questions[0].caption, QStringLiteral("Warning"));
    QCOMPARE(questions[0].text, QStringLiteral("All settings will be restored?"));
    QVERIFY(questions[0].buttons == MessageBoxButtons::kOkCancel);
    QVERIFY(questions[1].buttons == MessageBoxButtons::kOk);
    QVERIFY(SMessageBox::TakeQuestions().empty());
  }

  void messageBoxesComeFromTheSkinsLayout() {
    const std::shared_ptr<Translator> chinese = app_->LoadTranslator(QStringLiteral("lang_cn"));
    app_->GetTranslatorManager().InstallTranslator(chinese);
    std::vector<QString> shown;
    std::vector<bool> visible;
    const ExecHookScope hook([&shown, &visible](SHostDialog& dialog) {
      for (const char* name : {"msgtitle", "msgtext", "button1st", "button2nd"}) {
        shown.push_back(dialog.FindChildByName(QString::fromLatin1(name))->GetDisplayText());
      }
      for (const char* name : {"msgicon", "button1st", "button2nd", "button3rd"}) {
        visible.push_back(dialog.FindChildByName(QString::fromLatin1(name))->isVisible());
      }
      ClickLater(dialog, QStringLiteral("button2nd"));
    });
    QCOMPARE(
        SMessageBox::Show(nullptr, QStringLiteral("Insufficient space."), QStringLiteral("Warning"),
                          MessageBoxButtons::kOkCancel, MessageBoxIcon::kWarning),
        SMessageBox::kIdCancel);
    const std::vector<QString> expectedTexts = {QStringLiteral("警告"),
                                                QStringLiteral("Insufficient space."),
                                                QStringLiteral("确定"), QStringLiteral("Cancel")};
    QCOMPARE(shown, expectedTexts);
    QCOMPARE(visible, (std::vector<bool>{true, true, true, false}));
    QVERIFY(SMessageBox::TakeQuestions().empty());
  }

  void closingAMessageBoxGivesItsCloseAnswer() {
    const ExecHookScope hook([](SHostDialog& dialog) { dialog.PostCloseRequest(); });
    QCOMPARE(SMessageBox::Show(nullptr, QStringLiteral("text"), QStringLiteral("caption")),
             SMessageBox::kIdOk);
    QCOMPARE(SMessageBox::Show(nullptr, QStringLiteral("text"), QStringLiteral("caption"),
                               MessageBoxButtons::kYesNo),
             SMessageBox::kIdNo);
    QCOMPARE(SMessageBox::Show(nullptr, QStringLiteral("text"), QStringLiteral("caption"),
                               MessageBoxButtons::kYesNoCancel),
             SMessageBox::kIdCancel);
  }

  void aSkinWithoutMessageBoxLayoutAsksWithAPlainBox() {
    app_ = test::MakeApplication(test::BareSkinFolder());
    QString caption;
    QTimer::singleShot(0, [&caption] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box != nullptr);
      caption = box->windowTitle();
      for (QAbstractButton* button : box->buttons()) {
        if (button->text() == QStringLiteral("OK")) {
          button->click();
        }
      }
    });
    QCOMPARE(SMessageBox::Show(nullptr, QStringLiteral("text"), QStringLiteral("Warning"),
                               MessageBoxButtons::kOkCancel),
             SMessageBox::kIdOk);
    QCOMPARE(caption, QStringLiteral("Warning"));
  }

  void menusReadBothForms() {
    const std::optional<PopupMenu> tray = PopupMenu::Load(QStringLiteral("SMENU:menu_tray"));
    QVERIFY(tray.has_value());
    QVERIFY(tray->GetKind() == PopupMenu::Kind::kClassic);
    QCOMPARE(tray->Items().size(), std::size_t{4});
    QCOMPARE(tray->Items()[0].id, 1);
    QCOMPARE(tray->Items()[0].text, QStringLiteral("Upgrade firmware"));
    QVERIFY(tray->Items()[1].separator);
    QCOMPARE(tray->Items()[2].children.size(), std::size_t{1});
    QCOMPARE(tray->FindItem(3)->text, QStringLiteral("Chinese"));
    const std::optional<PopupMenu> more = PopupMenu::Load(QStringLiteral("smenuex:MENU_MORE"));
    QVERIFY(more.has_value());
    QVERIFY(more->GetKind() == PopupMenu::Kind::kExtended);
    QCOMPARE(more->FindItem(QStringLiteral("jp"))->text, QStringLiteral("English"));
    QCOMPARE(more->FindItem(6)->text, QStringLiteral("Exit"));
    QVERIFY(more->FindItem(99) == nullptr);
    QVERIFY(!PopupMenu::Load(QStringLiteral("SMENU:no_such_menu")).has_value());
    QVERIFY(!PopupMenu::Load(QStringLiteral("LAYOUT:dialog")).has_value());
    pugi::xml_document single;
    single.load_string("<menuItem><menuItem id='5' text='Five'/></menuItem>");
    QVERIFY(PopupMenu::KindOf(single.document_element()) == PopupMenu::Kind::kExtended);
    QCOMPARE(PopupMenu::FromXml(single.document_element())->FindItem(5)->text,
             QStringLiteral("Five"));
  }

  void chosenMenuItemsReachTheOwner() {
    CountingHost owner;
    QVERIFY(owner.Create());
    const std::optional<PopupMenu> more = PopupMenu::Load(QStringLiteral("SMENUEX:menu_more"));
    PopupMenu::SetNextChoice(6);
    QVERIFY(more->TrackPopupMenu(QPoint(10, 10), owner));
    QCOMPARE(owner.commands, (std::vector<std::pair<int, int>>{{0, 6}}));
    PopupMenu::SetNextChoice(QStringLiteral("zh_cn"));
    QVERIFY(more->TrackPopupMenu(QPoint(10, 10), owner));
    QCOMPARE(owner.events,
             (std::vector<std::pair<int, QString>>{{kEventCommand, QStringLiteral("zh_cn")}}));
    PopupMenu::SetNextChoice(99);
    QVERIFY(!more->TrackPopupMenu(QPoint(10, 10), owner));
    PopupMenu::SetNextChoiceNone();
    QVERIFY(!more->TrackPopupMenu(QPoint(10, 10), owner));
    QCOMPARE(owner.commands.size(), std::size_t{1});
    QCOMPARE(owner.events.size(), std::size_t{1});
  }

  void aShownMenuDeliversTheActionTriggered() {
    CountingHost owner;
    QVERIFY(owner.Create());
    owner.show();
    const std::optional<PopupMenu> tray = PopupMenu::Load(QStringLiteral("SMENU:menu_tray"));
    QTimer::singleShot(0, [] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      QVERIFY(menu != nullptr);
      menu->setActiveAction(menu->actions().last());
      QTest::keyClick(menu, Qt::Key_Return);
    });
    QVERIFY(tray->TrackPopupMenu(owner.mapToGlobal(QPoint(20, 20)), owner));
    QCOMPARE(owner.commands, (std::vector<std::pair<int, int>>{{0, 6}}));
  }

  void menuTextsAreTranslatedWhenShown() {
    app_->GetTranslatorManager().InstallTranslator(app_->LoadTranslator(QStringLiteral("lang_cn")));
    const std::optional<PopupMenu> tray = PopupMenu::Load(QStringLiteral("SMENU:menu_tray"));
    const std::unique_ptr<QMenu> menu = tray->BuildMenu(nullptr);
    const QList<QAction*> actions = menu->actions();
    QCOMPARE(actions.size(), 4);
    QCOMPARE(actions[0]->text(), QStringLiteral("升级固件"));
    QVERIFY(actions[1]->isSeparator());
    QCOMPARE(actions[2]->menu()->actions()[0]->text(), QStringLiteral("中文"));
    QCOMPARE(actions[3]->text(), QStringLiteral("Exit"));
    QVERIFY(menu->styleSheet().contains(QStringLiteral("#ff202020")));
    QVERIFY(menu->styleSheet().contains(QStringLiteral("min-height: 24px")));
  }

 private:
  std::unique_ptr<SApplication> app_;
};

}  // namespace keyloom::ui

QTEST_MAIN(keyloom::ui::WindowTest)
#include "WindowTest.moc"

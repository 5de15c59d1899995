#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <memory>
#include <optional>
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
#include "ui/layout/AttributeResult.h"
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

  // Buttons named after what they do show those names, translated; the others keep theirs. A
  // name longer than its button widens it, and the next button moves along.
  void messageBoxButtonsMayBeNamed() {
    app_->GetTranslatorManager().InstallTranslator(app_->LoadTranslator(QStringLiteral("lang_cn")));
    QStringList shown;
    QRect first;
    QRect second;
    const ExecHookScope hook([&](SHostDialog& dialog) {
      for (const char* name : {"button1st", "button2nd"}) {
        shown.append(dialog.FindChildByName(QString::fromLatin1(name))->GetDisplayText());
      }
      first = dialog.FindChildByName(QStringLiteral("button1st"))->geometry();
      second = dialog.FindChildByName(QStringLiteral("button2nd"))->geometry();
      ClickLater(dialog, QStringLiteral("button1st"));
    });
    QCOMPARE(SMessageBox::Show(
                 nullptr, QStringLiteral("Really?"), QStringLiteral("Warning"),
                 MessageBoxButtons::kOkCancel, MessageBoxIcon::kWarning,
                 {QStringLiteral("Restore the whole keyboard"), QStringLiteral("Press a key")}),
             SMessageBox::kIdOk);
    QCOMPARE(shown, (QStringList{QStringLiteral("Restore the whole keyboard"),
                                 QStringLiteral("按下一个键")}));
    QCOMPARE(first.left(), 10);
    QVERIFY2(first.width() > 90, qPrintable(QString::number(first.width())));
    QCOMPARE(second.left() - first.right() - 1, 10);
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

  // A scaled window draws its layout at the largest scale that fits, and its root fills the
  // window at that scale: a window of other proportions gets a wider or taller root. The
  // controls stay in the window's tree of events.
  void scaledWindowsScaleTheirLayoutToTheirSize_data() {
    QTest::addColumn<QSize>("window");
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<QSize>("root");
    QTest::newRow("the layout's size") << QSize(400, 300) << 1.0 << QSize(400, 300);
    QTest::newRow("half") << QSize(200, 150) << 0.5 << QSize(400, 300);
    QTest::newRow("wider") << QSize(600, 300) << 1.0 << QSize(600, 300);
    QTest::newRow("smaller and taller") << QSize(300, 300) << 0.75 << QSize(400, 400);
    QTest::newRow("larger") << QSize(800, 600) << 2.0 << QSize(400, 300);
  }

  void scaledWindowsScaleTheirLayoutToTheirSize() {
    QFETCH(QSize, window);
    QFETCH(qreal, scale);
    QFETCH(QSize, root);
    CountingHost host(QStringLiteral("LAYOUT:scaled"));
    QVERIFY(host.Create());
    QVERIFY(host.IsScaled());
    QCOMPARE(host.DesignSize(), QSize(400, 300));
    host.show();

    host.resize(window);

    QCOMPARE(host.ContentScale(), scale);
    QCOMPARE(host.GetRoot()->size(), root);
    SWindow* corner = host.FindChildByName(QStringLiteral("btn_corner"));
    QCOMPARE(corner->geometry(), QRect(root.width() - 90, root.height() - 40, 80, 30));
    QCOMPARE(corner->GetHostWnd(), &host);
    corner->FireCommand();
    QCOMPARE(host.events,
             (std::vector<std::pair<int, QString>>{{kEventCommand, QStringLiteral("btn_corner")}}));
  }

  // The window has no frame: its edges resize it, within a few pixels, corners included, at
  // any scale; not while it is maximised. Over an edge the cursor shows the resize arrows.
  void scaledWindowsResizeFromTheirEdges_data() {
    QTest::addColumn<QSize>("window");
    QTest::newRow("the layout's size") << QSize(400, 300);
    QTest::newRow("half") << QSize(200, 150);
  }
  void scaledWindowsResizeFromTheirEdges() {
    QFETCH(QSize, window);
    CountingHost host(QStringLiteral("LAYOUT:scaled"));
    QVERIFY(host.Create());
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    host.resize(window);
    const int w = window.width();
    const int h = window.height();
    const struct {
      QPoint at;
      Qt::Edges edges;
    } cases[] = {
        {{w / 2, h / 2}, {}},
        {{0, h / 2}, Qt::LeftEdge},
        {{w - 1, h / 2}, Qt::RightEdge},
        {{w / 2, 2}, Qt::TopEdge},
        {{w / 2, h - 1 - SHostWnd::kEdgeWidth}, {}},
        {{w / 2, h - SHostWnd::kEdgeWidth}, Qt::BottomEdge},
        {{1, 1}, Qt::TopEdge | Qt::LeftEdge},
        {{w - 2, h - 3}, Qt::BottomEdge | Qt::RightEdge},
    };
    for (const auto& c : cases) {
      QCOMPARE(host.EdgesAt(c.at), c.edges);
    }
    QWindow* handle = host.windowHandle();
    QTest::mouseMove(handle, QPoint(w / 2, h / 2));
    QTest::mouseMove(handle, QPoint(w - 1, h / 2));
    QCOMPARE(handle->cursor().shape(), Qt::SizeHorCursor);
    QTest::mouseMove(handle, QPoint(w / 2, h / 2));
    QCOMPARE(handle->cursor().shape(), Qt::ArrowCursor);
    host.showMaximized();
    QCOMPARE(host.EdgesAt(QPoint(0, 0)), Qt::Edges());
  }

  // The first scale other than 1 moves the content into a view: the control that had the focus
  // keeps it, and its mark; Tab goes on through the same controls.
  void aScaledWindowKeepsItsFocusWhenItFirstScales() {
    CountingHost host(QStringLiteral("LAYOUT:scaled"));
    QVERIFY(host.Create());
    host.show();
    host.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&host));
    SWindow* button = host.FindChildByName(QStringLiteral("btn_corner"));
    button->setFocus(Qt::TabFocusReason);
    QVERIFY(button->ShowsFocusMark());

    host.resize(200, 150);

    QCOMPARE(host.ContentScale(), 0.5);
    QVERIFY(button->hasFocus());
    QVERIFY(button->ShowsFocusMark());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    SWindow* combo = host.FindChildByName(QStringLiteral("cmb_profile"));
    QVERIFY(combo->hasFocus());
    QVERIFY(combo->ShowsFocusMark());
  }

  // The size a scaled window opens at on a screen of the available size: the size it had last,
  // within the screen and not below half the layout; else the layout's size, scaled down until
  // it fits.
  void scaledWindowsFitTheScreen_data() {
    QTest::addColumn<QSize>("preferred");
    QTest::addColumn<QSize>("available");
    QTest::addColumn<QSize>("fitted");
    const QSize none;
    QTest::newRow("1366x768 at 100 %") << none << QSize(1366, 738) << QSize(1180, 720);
    QTest::newRow("1920x1080 at 150 %, a panel") << none << QSize(1280, 690) << QSize(1131, 690);
    QTest::newRow("1366x768 at 125 %") << none << QSize(1093, 614) << QSize(1006, 614);
    QTest::newRow("tiny") << none << QSize(300, 200) << QSize(590, 360);
    QTest::newRow("remembered") << QSize(1000, 700) << QSize(1366, 738) << QSize(1000, 700);
    QTest::newRow("remembered, larger than the screen")
        << QSize(2000, 700) << QSize(1366, 738) << QSize(1366, 700);
    QTest::newRow("remembered, too small")
        << QSize(300, 900) << QSize(1366, 738) << QSize(590, 738);
  }

  void scaledWindowsFitTheScreen() {
    QFETCH(QSize, preferred);
    QFETCH(QSize, available);
    QFETCH(QSize, fitted);
    QCOMPARE(SHostWnd::FittedSize(QSize(1180, 720), preferred, available), fitted);
  }

  // The drop-down list takes the combo box's colours and row height, at the window's scale.
  void dropDownListsTakeTheComboBoxsColours() {
    CountingHost host(QStringLiteral("LAYOUT:scaled"));
    QVERIFY(host.Create());
    auto* combo = host.FindChildByName2<SComboBox>(QStringLiteral("cmb_profile"));
    QVERIFY(combo != nullptr);
    QVERIFY(combo->DropDownStyleSheet().contains(QStringLiteral("background: #ff102030")));
    QVERIFY(combo->DropDownStyleSheet().contains(
        QStringLiteral("QMenu::item:selected { color: #ffff3d6e; }")));
    QVERIFY(combo->DropDownStyleSheet().contains(QStringLiteral("min-height: 20px")));
    QVERIFY(combo->DropDownStyleSheet(1.5).contains(QStringLiteral("min-height: 30px")));
    QCOMPARE(combo->SetAttribute("colorDropBkgnd", QStringLiteral("no colour")),
             AttributeResult::kFailed);
  }

  // The owner adjusts the menu before it shows: a check mark, an item taken out (and with it
  // the separators that would be left at an edge or doubled).
  void ownersAdjustTheirMenusBeforeTheyShow_data() {
    QTest::addColumn<QString>("xml");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("item between separators")
        << QStringLiteral(
               "<menu><item id='2'>A</item><sep/><item id='1'>U</item><sep/>"
               "<item id='6'>X</item></menu>")
        << QStringList{QStringLiteral("A"), QStringLiteral("-"), QStringLiteral("X")};
    QTest::newRow("first item") << QStringLiteral(
                                       "<menu><item id='1'>U</item><sep/>"
                                       "<item id='6'>X</item></menu>")
                                << QStringList{QStringLiteral("X")};
    QTest::newRow("last item") << QStringLiteral(
                                      "<menuRoot><menuItem name='jp' text='E'/>"
                                      "<menuItem sep='1'/><menuItem id='1' text='U'/>"
                                      "</menuRoot>")
                               << QStringList{QStringLiteral("E*")};
    QTest::newRow("in a submenu")
        << QStringLiteral(
               "<menu><item text='S'><item name='jp'>E</item><item id='1'>U</item>"
               "</item></menu>")
        << QStringList{QStringLiteral("S"), QStringLiteral(">E*")};
  }

  void ownersAdjustTheirMenusBeforeTheyShow() {
    QFETCH(QString, xml);
    QFETCH(QStringList, shown);
    pugi::xml_document document;
    QVERIFY(document.load_string(xml.toStdString().c_str()));
    std::optional<PopupMenu> menu = PopupMenu::FromXml(document.document_element());
    QVERIFY(menu.has_value());

    menu->RemoveItem(1);
    menu->SetChecked(QStringLiteral("jp"), true);

    QStringList items;
    std::function<void(const std::vector<PopupMenu::Item>&, const QString&)> list =
        [&items, &list](const std::vector<PopupMenu::Item>& level, const QString& prefix) {
          for (const PopupMenu::Item& item : level) {
            items.append(prefix + (item.separator ? QStringLiteral("-") : item.text) +
                         (item.checked ? QStringLiteral("*") : QString()));
            list(item.children, prefix + QLatin1Char('>'));
          }
        };
    list(menu->Items(), QString());
    QCOMPARE(items, shown);
    QVERIFY(menu->FindItem(1) == nullptr);
  }

  // What the owner changes is what shows, and what can be chosen.
  void trackedMenusAreTheOwnersCopy() {
    class RemovingHost : public CountingHost {
     public:
      void OnInitMenu(PopupMenu& menu) override { menu.RemoveItem(6); }
    };
    RemovingHost owner;
    QVERIFY(owner.Create());
    const std::optional<PopupMenu> more = PopupMenu::Load(QStringLiteral("SMENUEX:menu_more"));
    PopupMenu::SetNextChoice(6);
    QVERIFY(!more->TrackPopupMenu(QPoint(10, 10), owner));
    QVERIFY(owner.commands.empty());
    QVERIFY(more->FindItem(6) != nullptr);
  }

  // A greyed-out item shows so, and choosing it does nothing; the others still work.
  void greyedOutItemsCannotBeChosen() {
    class GreyingHost : public CountingHost {
     public:
      void OnInitMenu(PopupMenu& menu) override { menu.SetEnabled(QStringLiteral("jp"), false); }
    };
    GreyingHost owner;
    QVERIFY(owner.Create());
    pugi::xml_document document;
    QVERIFY(document.load_string(
        "<menuRoot><menuItem name='jp' text='E'/><menuItem name='zh_cn' text='C'/></menuRoot>"));
    const std::optional<PopupMenu> menu = PopupMenu::FromXml(document.document_element());
    QVERIFY(menu.has_value());

    PopupMenu::SetNextChoice(QStringLiteral("jp"));
    QVERIFY(!menu->TrackPopupMenu(QPoint(10, 10), owner));
    PopupMenu::SetNextChoice(QStringLiteral("zh_cn"));
    QVERIFY(menu->TrackPopupMenu(QPoint(10, 10), owner));
    QCOMPARE(owner.events.size(), std::size_t{1});
    QCOMPARE(owner.events[0].second, QStringLiteral("zh_cn"));

    PopupMenu shown = *menu;
    owner.OnInitMenu(shown);
    const std::unique_ptr<QMenu> built = shown.BuildMenu(nullptr);
    QVERIFY(!built->actions()[0]->isEnabled());
    QVERIFY(built->actions()[1]->isEnabled());
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

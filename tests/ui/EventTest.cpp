#include <QEnterEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <memory>
#include <vector>

#include "UiTestSupport.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/SHostWnd.h"
#include "ui/widgets/SButton.h"
#include "ui/widgets/SCheckBox.h"
#include "ui/widgets/SComboBox.h"
#include "ui/widgets/SEdit.h"
#include "ui/widgets/SRadioBox.h"
#include "ui/widgets/SSliderBar.h"
#include "ui/widgets/STabCtrl.h"
#include "ui/widgets/STabPage.h"
#include "ui/widgets/SliderGeometry.h"
#include "ui/widgets/TabLayout.h"

namespace keyloom::ui {
namespace {

struct Seen {
  int eventId = 0;
  QString senderName;
  int index = -1;
  int previousIndex = -1;
  int code = 0;
  int value = 0;
  bool checkedWhenFired = false;
};

Seen SeenFrom(const EventArgs& args) {
  return Seen{args.eventId,
              args.senderName,
              args.index,
              args.previousIndex,
              args.code,
              args.value,
              args.sender != nullptr && args.sender->IsChecked()};
}

// Counts the paint events of one widget.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }

  int count = 0;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    count += event->type() == QEvent::Paint ? 1 : 0;
    return false;
  }
};

// The main window's layout, recording the events that reach its handler.
class RecordingHost : public SHostWnd {
 public:
  RecordingHost() : SHostWnd(QStringLiteral("XML_MAINWND")) {}

  void OnEvent(EventArgs& args) override { events.push_back(SeenFrom(args)); }

  std::vector<Seen> events;
};

// An edit that reports Enter instead of taking it, and counts the clicks it is given.
class EnterEdit : public SEdit {
 public:
  int clicks = 0;

 protected:
  bool OnEditKeyPress(QKeyEvent& event) override {
    if (event.key() != Qt::Key_Return && event.key() != Qt::Key_Enter) {
      return false;
    }
    EventArgs args;
    args.eventId = kEventKeyEnter;
    FireEvent(args);
    return true;
  }

  bool OnEditMouseButton(QMouseEvent& event) override {
    if (event.type() == QEvent::MouseButtonPress) {
      ++clicks;
      setEnabled(true);
    }
    return true;
  }
};

}  // namespace

class EventTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    app_ = test::MakeApplication();
    host_ = std::make_unique<RecordingHost>();
    QVERIFY(host_->Create());
    host_->show();
    QVERIFY(QTest::qWaitForWindowExposed(host_.get()));
  }
  void cleanup() {
    host_.reset();
    test::DeleteDestroyedControls();
    app_.reset();
  }

  void aHandledEventGoesNoFurther() {
    SWindow* button = host_->FindChildByName(QStringLiteral("btn_more"));
    SWindow* body = host_->FindChildByName(QStringLiteral("body"));
    int bodyCalls = 0;
    body->Subscribe(kEventCommand, [&bodyCalls](EventArgs&) { ++bodyCalls; });
    button->Subscribe(kEventCommand, [](EventArgs& args) { args.handled = true; });
    QVERIFY(button->FireCommand());
    QCOMPARE(bodyCalls, 0);
    QVERIFY(host_->events.empty());
  }

  void anUnhandledEventBubblesToTheHost() {
    SWindow* button = host_->FindChildByName(QStringLiteral("btn_more"));
    SWindow* body = host_->FindChildByName(QStringLiteral("body"));
    std::vector<Seen> seenByBody;
    const SubscriptionId own = button->Subscribe(kEventCommand, [](EventArgs&) {});
    body->Subscribe(kEventCommand,
                    [&seenByBody](EventArgs& args) { seenByBody.push_back(SeenFrom(args)); });
    QVERIFY(!button->FireCommand());
    QCOMPARE(seenByBody.size(), std::size_t{1});
    QCOMPARE(seenByBody[0].senderName, QStringLiteral("btn_more"));
    QCOMPARE(host_->events.size(), std::size_t{1});
    QCOMPARE(host_->events[0].eventId, kEventCommand);
    QCOMPARE(host_->events[0].senderName, QStringLiteral("btn_more"));
    // A parent's subscriber that handles it keeps it from the host.
    body->Subscribe(kEventCommand, [](EventArgs& args) { args.handled = true; });
    QVERIFY(button->Unsubscribe(own));
    QVERIFY(!button->Unsubscribe(own));
    QVERIFY(button->FireCommand());
    QCOMPARE(host_->events.size(), std::size_t{1});
  }

  void subscriptionsChangeSafelyWhileFiring() {
    SWindow* button = host_->FindChildByName(QStringLiteral("btn_more"));
    std::vector<int> calls;
    SubscriptionId second = 0;
    button->Subscribe(kEventCommand, [&](EventArgs&) {
      calls.push_back(1);
      button->Unsubscribe(second);
      button->Subscribe(kEventCommand, [&calls](EventArgs&) { calls.push_back(3); });
    });
    second = button->Subscribe(kEventCommand, [&calls](EventArgs&) { calls.push_back(2); });
    button->FireCommand();
    QCOMPARE(calls, std::vector<int>{1});
    // A keyed subscription is replaced by the next one with the same key.
    int key = 0;
    std::vector<int> keyed;
    button->Subscribe(
        kEventSliderPos, [&keyed](EventArgs&) { keyed.push_back(1); }, &key);
    button->Subscribe(
        kEventSliderPos, [&keyed](EventArgs&) { keyed.push_back(2); }, &key);
    EventArgs args;
    args.eventId = kEventSliderPos;
    button->FireEvent(args);
    QCOMPARE(keyed, std::vector<int>{2});
  }

  void aClickFiresTheCommandWhenReleasedOverTheButton() {
    SWindow* button = host_->FindChildByName(QStringLiteral("btn_more"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(host_->events.size(), std::size_t{1});
    QTest::mousePress(button, Qt::LeftButton);
    QVERIFY((button->GetState() & kStatePushed) != 0);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-5, -5));
    QVERIFY((button->GetState() & kStatePushed) == 0);
    QCOMPARE(host_->events.size(), std::size_t{1});
    QTest::mouseClick(button, Qt::RightButton);
    button->setEnabled(false);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(host_->events.size(), std::size_t{1});
  }

  void checkBoxesFireAfterTheirCheckChanged() {
    auto* check = host_->FindChildByName2<SCheckBox>(QStringLiteral("chk_macro_record"));
    QVERIFY(check->IsChecked());
    QTest::mouseClick(check, Qt::LeftButton);
    QCOMPARE(host_->events.size(), std::size_t{1});
    QVERIFY(!host_->events[0].checkedWhenFired);
    QVERIFY(!check->IsChecked());
    check->setFocus();
    QTest::keyClick(check, Qt::Key_Space);
    QCOMPARE(host_->events.size(), std::size_t{2});
    QVERIFY(host_->events[1].checkedWhenFired);
    QVERIFY(check->IsChecked());
  }

  void radioButtonsOfOneParentExcludeEachOther() {
    auto* left = host_->FindChildByName2<SRadioBox>(QStringLiteral("radio_direction_left"));
    auto* right = host_->FindChildByName2<SRadioBox>(QStringLiteral("radio_direction_right"));
    QTest::mouseClick(left, Qt::LeftButton);
    QVERIFY(left->IsChecked());
    QVERIFY(host_->events.back().checkedWhenFired);
    QTest::mouseClick(right, Qt::LeftButton);
    QVERIFY(right->IsChecked());
    QVERIFY(!left->IsChecked());
    // A checked radio button fires again when clicked and stays checked.
    QTest::mouseClick(right, Qt::LeftButton);
    QCOMPARE(host_->events.size(), std::size_t{3});
    QVERIFY(right->IsChecked());
    left->SetCheck(true);
    QVERIFY(!right->IsChecked());
    // The check-style controls of another parent are not touched.
    QVERIFY(host_->FindChildByName(QStringLiteral("chk_macro_record"))->IsChecked());
    auto* color0 = host_->FindChildByName(QStringLiteral("bar_color0"));
    auto* color1 = host_->FindChildByName(QStringLiteral("bar_color1"));
    color0->SetCheck(true);
    color1->SetCheck(true);
    QVERIFY(!color0->IsChecked());
    QVERIFY(left->IsChecked());
    // The generic checked state may also clear a radio button.
    color1->SetCheck(false);
    QVERIFY(!color1->IsChecked());
  }

  void comboBoxesNotifyOnlyWhenAskedAndChanged() {
    auto* combo = host_->FindChildByName2<SComboBox>(QStringLiteral("cmb_profile"));
    QVERIFY(combo->SetCurSel(2));
    QVERIFY(host_->events.empty());
    QVERIFY(combo->SetCurSel(0, true));
    QCOMPARE(host_->events.size(), std::size_t{1});
    QCOMPARE(host_->events[0].eventId, kEventComboSelectionChanged);
    QCOMPARE(host_->events[0].index, 0);
    QCOMPARE(host_->events[0].previousIndex, 2);
    QVERIFY(combo->SetCurSel(0, true));
    QCOMPARE(host_->events.size(), std::size_t{1});
    QVERIFY(!combo->SetCurSel(3, true));
    QVERIFY(!combo->SetCurSel(-2));
    QCOMPARE(combo->GetCurSel(), 0);
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Up);
    QCOMPARE(host_->events.size(), std::size_t{1});
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(host_->events.size(), std::size_t{2});
    QCOMPARE(combo->GetCurSel(), 1);
  }

  void comboBoxItemsKeepTheSelectionOnItsEntry() {
    auto* combo = host_->FindChildByName2<SComboBox>(QStringLiteral("cmb_profile"));
    QCOMPARE(combo->GetCurSel(), 1);
    QCOMPARE(combo->InsertItem(0, QStringLiteral("Profile 0"), 10), 0);
    QCOMPARE(combo->GetCurSel(), 2);
    QCOMPARE(combo->GetItemText(combo->GetCurSel()), QStringLiteral("Profile 2"));
    QCOMPARE(combo->AddString(QStringLiteral("Profile 4")), 4);
    QCOMPARE(combo->GetCount(), 5);
    QVERIFY(combo->DeleteItem(0));
    QCOMPARE(combo->GetCurSel(), 1);
    QVERIFY(combo->DeleteItem(1));
    QCOMPARE(combo->GetCurSel(), -1);
    QVERIFY(!combo->DeleteItem(7));
    combo->ResetContent();
    QCOMPARE(combo->GetCount(), 0);
    QVERIFY(combo->GetItemText(0).isEmpty());
    QVERIFY(host_->events.empty());
  }

  void slidersReportTheUsersMoves() {
    auto* slider = host_->FindChildByName2<SSliderBar>(QStringLiteral("bar_speed"));
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    QCOMPARE(slider->GetValue(), 3);
    QCOMPARE(host_->events.size(), std::size_t{1});
    QCOMPARE(host_->events[0].eventId, kEventSliderPos);
    QCOMPARE(host_->events[0].value, 3);
    QTest::keyClick(slider, Qt::Key_Right);
    QCOMPARE(host_->events.size(), std::size_t{1});
    QTest::keyClick(slider, Qt::Key_Home);
    QCOMPARE(host_->events.back().value, 0);
    slider->SetValue(99);
    QCOMPARE(slider->GetValue(), 3);
    QCOMPARE(host_->events.size(), std::size_t{2});
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(1, slider->height() / 2));
    QCOMPARE(slider->GetValue(), 0);
    QCOMPARE(host_->events.back().value, 0);
    QTest::mouseClick(slider, Qt::LeftButton, {},
                      QPoint(slider->width() - 1, slider->height() / 2));
    QCOMPARE(slider->GetValue(), 3);
    slider->SetRange(5, 1);
    QCOMPARE(slider->GetMin(), 5);
    QCOMPARE(slider->GetMax(), 5);
    QCOMPARE(slider->GetValue(), 5);
  }

  void sliderGeometryFindsTheValueUnderTheThumb() {
    const QRect client(10, 0, 110, 20);
    const QSize thumb(10, 20);
    for (int value = -3; value <= 7; ++value) {
      const QRect rect = SliderThumbRect(client, thumb, -3, 7, value);
      QCOMPARE(rect.left(), 10 + (value + 3) * 10);
      QCOMPARE(SliderValueAt(client, thumb, -3, 7, rect.center().x()), value);
    }
    QCOMPARE(SliderValueAt(client, thumb, -3, 7, -1000), -3);
    QCOMPARE(SliderValueAt(client, thumb, -3, 7, 1000), 7);
    QCOMPARE(SliderValueAt(client, thumb, 4, 4, 50), 4);
    QCOMPARE(SliderThumbRect(client, thumb, 0, 0, 0).left(), 10);
    QCOMPARE(SliderRailRect(QRect(0, 0, 50, 20), 4), QRect(0, 8, 50, 4));
    QCOMPARE(SliderValueAt(QRect(0, 0, 100, 10), QSize(10, 10), -2147483647 - 1, 2147483647, 1000),
             2147483647);
  }

  void editsNotifyEveryTextChange() {
    auto* edit = host_->FindChildByName2<SEdit>(QStringLiteral("edit_single_key"));
    QTest::keyClicks(edit->GetLineEdit(), QStringLiteral("ab"));
    QCOMPARE(host_->events.size(), std::size_t{2});
    QCOMPARE(host_->events[0].eventId, kEventRichEditNotify);
    QCOMPARE(host_->events[0].code, kRichEditTextChanged);
    QCOMPARE(edit->GetText(), QStringLiteral("ab"));
    edit->SetText(QStringLiteral("250"));
    QCOMPARE(host_->events.size(), std::size_t{3});
    edit->SetText(QStringLiteral("250"));
    QCOMPARE(host_->events.size(), std::size_t{3});
    // The maximum length of the layout.
    QTest::keyClicks(edit->GetLineEdit(), QStringLiteral("1234567890"));
    QCOMPARE(edit->GetText().size(), 8);
  }

  void anEditSubclassMayKeepKeysAndClicksFromTheText() {
    auto* edit = new EnterEdit;
    edit->setParent(host_->GetRoot());
    edit->setGeometry(0, 0, 100, 24);
    edit->show();
    int enters = 0;
    edit->Subscribe(kEventKeyEnter, [&enters](EventArgs& args) {
      ++enters;
      args.handled = true;
    });
    QTest::keyClicks(edit->GetLineEdit(), QStringLiteral("12"));
    QTest::keyClick(edit->GetLineEdit(), Qt::Key_Return);
    QTest::keyClick(edit->GetLineEdit(), Qt::Key_Return);
    QCOMPARE(enters, 2);
    QCOMPARE(edit->GetText(), QStringLiteral("12"));
    // Clicks reach the hook even while the edit is disabled.
    edit->setEnabled(false);
    QTest::mouseClick(edit->GetLineEdit(), Qt::LeftButton);
    QCOMPARE(edit->clicks, 1);
    QVERIFY(edit->isEnabled());
  }

  void tabControlsReportHoverLeaveAndSelection() {
    auto* tabs = host_->FindChildByName2<STabCtrl>(QStringLiteral("tab_macro_mode_selection"));
    QCOMPARE(tabs->ItemRect(0), QRect(0, 0, 60, 24));
    QTest::mouseMove(tabs, tabs->ItemRect(0).center());
    QTest::mouseMove(tabs, tabs->ItemRect(1).center());
    QTest::mouseMove(tabs, tabs->PageRect().center());
    std::vector<std::pair<int, int>> seen;
    for (const Seen& event : host_->events) {
      seen.emplace_back(event.eventId, event.index);
    }
    const std::vector<std::pair<int, int>> expected = {{kEventTabItemHover, 0},
                                                       {kEventTabItemLeave, 0},
                                                       {kEventTabItemHover, 1},
                                                       {kEventTabItemLeave, 1}};
    QCOMPARE(seen, expected);
    host_->events.clear();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->ItemRect(0).center());
    QCOMPARE(tabs->GetCurSel(), 0);
    QCOMPARE(host_->events.back().eventId, kEventTabSelectionChanged);
    QCOMPARE(host_->events.back().index, 0);
    QCOMPARE(host_->events.back().previousIndex, 1);
    QVERIFY(tabs->GetItem(0)->isVisible());
    QVERIFY(!tabs->GetItem(1)->isVisible());
    QCOMPARE(tabs->GetItem(0)->geometry(), tabs->PageRect());
    QVERIFY(tabs->SetCurSel(1));
    QVERIFY(!tabs->SetCurSel(2));
    QCOMPARE(host_->events.back().eventId, kEventTabSelectionChanged);
    QCOMPARE(host_->events.back().index, 0);
  }

  void onlyControlsThatShowTheHoverRepaintAsThePointerPasses_data() {
    QTest::addColumn<QByteArray>("tag");
    QTest::addColumn<QByteArray>("attribute");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("repaints");
    QTest::newRow("a one-state skin")
        << QByteArray("window") << QByteArray("skin") << QStringLiteral("skin_stripe") << false;
    QTest::newRow("a skin with a hover state")
        << QByteArray("window") << QByteArray("skin") << QStringLiteral("skin_states") << true;
    QTest::newRow("a hover text colour")
        << QByteArray("text") << QByteArray("colorTextHover") << QStringLiteral("#ff0000") << true;
    QTest::newRow("a combo box with the style's arrow")
        << QByteArray("combobox") << QByteArray("skin") << QStringLiteral("skin_stripe") << true;
    QTest::newRow("a check box with the style's box")
        << QByteArray("check") << QByteArray("text") << QStringLiteral("box") << true;
  }

  void onlyControlsThatShowTheHoverRepaintAsThePointerPasses() {
    QFETCH(QByteArray, tag);
    QFETCH(QByteArray, attribute);
    QFETCH(QString, value);
    QFETCH(bool, repaints);
    std::unique_ptr<SWindow> made = app_->GetFactories().Create(tag.toStdString());
    QVERIFY(made != nullptr);
    SWindow* control = made.release();
    control->setParent(host_->GetRoot());
    QCOMPARE(control->SetAttribute(attribute.toStdString(), value), AttributeResult::kHandled);
    control->setGeometry(0, 0, 80, 24);
    PaintCounter paints(*control);
    control->show();
    QTRY_VERIFY(paints.count > 0);
    QCoreApplication::processEvents();

    paints.count = 0;
    QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
    QCoreApplication::sendEvent(control, &enter);
    QCoreApplication::processEvents();
    QCOMPARE(paints.count > 0, repaints);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(control, &leave);
    QCoreApplication::processEvents();
    QCOMPARE(paints.count > 1, repaints);
  }

  void tabHeadersStackAlongTheirSide_data() {
    QTest::addColumn<int>("align");
    QTest::addColumn<QRect>("header");
    QTest::addColumn<QRect>("second");
    QTest::addColumn<QRect>("page");
    QTest::newRow("top") << int(TabAlign::kTop) << QRect(0, 0, 200, 20) << QRect(47, 0, 40, 20)
                         << QRect(0, 20, 200, 80);
    QTest::newRow("bottom") << int(TabAlign::kBottom) << QRect(0, 80, 200, 20)
                            << QRect(47, 80, 40, 20) << QRect(0, 0, 200, 80);
    QTest::newRow("left") << int(TabAlign::kLeft) << QRect(0, 0, 40, 100) << QRect(0, 27, 40, 20)
                          << QRect(40, 0, 160, 100);
    QTest::newRow("right") << int(TabAlign::kRight) << QRect(160, 0, 40, 100)
                           << QRect(160, 27, 40, 20) << QRect(0, 0, 160, 100);
  }
  void tabHeadersStackAlongTheirSide() {
    QFETCH(int, align);
    QFETCH(QRect, header);
    QFETCH(QRect, second);
    QFETCH(QRect, page);
    const TabLayout layout{static_cast<TabAlign>(align), 40, 20, 2, 5};
    const QRect client(0, 0, 200, 100);
    QCOMPARE(layout.HeaderRect(client), header);
    QCOMPARE(layout.ItemRect(client, 1), second);
    QCOMPARE(layout.PageRect(client), page);
    QCOMPARE(layout.ItemAt(client, 3, second.center()), 1);
    QCOMPARE(layout.ItemAt(client, 1, second.center()), -1);
    QCOMPARE(layout.ItemAt(client, 3, page.center()), -1);
  }

 private:
  std::unique_ptr<SApplication> app_;
  std::unique_ptr<RecordingHost> host_;
};

}  // namespace keyloom::ui

QTEST_MAIN(keyloom::ui::EventTest)
#include "EventTest.moc"

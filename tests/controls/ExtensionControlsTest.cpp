#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "ControlsTestSupport.h"
#include "UiTestSupport.h"
#include "controls/FrameAnimation.h"
#include "controls/KeyCapRow.h"
#include "controls/SAnimImg.h"
#include "controls/SCheckBoxEx.h"
#include "controls/SEditEx.h"
#include "controls/SRadioBoxEx.h"
#include "controls/ToggleExLook.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/events/Timeline.h"

namespace keyloom::controls {

namespace {

using State = FrameAnimation::State;

// The fixture skins: skin_button5 has the frames red, green, blue, white, black; skin_icon8
// (16 x 16) the greys 0x10 * (state + 1).
const QColor kButtonFrames[] = {Qt::red, Qt::green, Qt::blue, Qt::white, Qt::black};
QColor IconState(int state) {
  return {0x10 * (state + 1), 0x10 * (state + 1), 0x10 * (state + 1)};
}

// Ticks `animation` for `ms` milliseconds; answers the frames it showed after each change.
std::vector<int> Run(FrameAnimation& animation, int ms, const FrameAnimation::Frames& frames) {
  std::vector<int> shown;
  for (int elapsed = 0; elapsed < ms; elapsed += FrameAnimation::kTickMs) {
    if (animation.Tick(frames)) {
      shown.push_back(animation.GetFrame());
    }
  }
  return shown;
}

}  // namespace

class ExtensionControlsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { app_ = test::MakeApplication(); }
  void cleanup() {
    host_.reset();
    ui::test::DeleteDestroyedControls();
    app_.reset();
  }

  void enterFiresOnKeyEnterOncePerPressAndNeverReachesTheText() {
    Open(QStringLiteral("LAYOUT:toggles"));
    auto* edit = host_->FindChildByName2<SEditEx>(QStringLiteral("edit"));
    QVERIFY(edit != nullptr);
    QVERIFY(edit->IsClass("edit"));
    int enters = 0;
    edit->Subscribe(ui::kEventKeyEnter, [&enters](ui::EventArgs& args) {
      ++enters;
      QCOMPARE(args.senderName, QStringLiteral("edit"));
    });
    QTest::keyClicks(edit->GetLineEdit(), QStringLiteral("12"));
    QTest::keyClick(edit->GetLineEdit(), Qt::Key_Return);
    QCOMPARE(enters, 1);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
    QApplication::sendEvent(edit->GetLineEdit(), &repeat);
    QCOMPARE(enters, 2);
    QTest::keyClick(edit->GetLineEdit(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(enters, 3);
    QCOMPARE(edit->GetText(), QStringLiteral("12"));
    // Unhandled, the event reaches the host.
    QCOMPARE(std::count(host_->events.begin(), host_->events.end(), ui::kEventKeyEnter), 3);
  }

  void aClickEnablesTheEditButNeverEditsTheText() {
    Open(QStringLiteral("LAYOUT:toggles"));
    auto* edit = host_->FindChildByName2<SEditEx>(QStringLiteral("edit_disabled"));
    QVERIFY(!edit->isEnabled());
    edit->SetText(QStringLiteral("hello"));
    QLineEdit* text = edit->GetLineEdit();
    text->setCursorPosition(0);
    QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(text->width() - 2, text->height() / 2));
    QVERIFY(edit->isEnabled());
    QCOMPARE(host_->focusWidget(), text);
    QCOMPARE(text->cursorPosition(), 0);
    QTest::mouseDClick(text, Qt::LeftButton, {}, QPoint(5, text->height() / 2));
    QVERIFY(!text->hasSelectedText());
    QCOMPARE(text->cursorPosition(), 0);
    // Typing works once it has the focus.
    QTest::keyClicks(text, QStringLiteral("!"));
    QCOMPARE(edit->GetText(), QStringLiteral("!hello"));
  }

  void theButtonSkinHidesTheCheckedLookUnderTheMouse_data() {
    QTest::addColumn<ui::WindowState>("state");
    QTest::addColumn<int>("states");
    QTest::addColumn<int>("expected");
    QTest::newRow("normal") << ui::WindowState{ui::kStateNormal} << 5 << 0;
    QTest::newRow("checked: last state") << ui::WindowState{ui::kStateChecked} << 5 << 4;
    QTest::newRow("checked, one state") << ui::WindowState{ui::kStateChecked} << 1 << 0;
    QTest::newRow("checked under the mouse")
        << ui::WindowState{ui::kStateChecked | ui::kStateHover} << 5 << 1;
    QTest::newRow("checked and pushed")
        << ui::WindowState{ui::kStateChecked | ui::kStateHover | ui::kStatePushed} << 5 << 2;
    QTest::newRow("disabled") << ui::WindowState{ui::kStateDisabled} << 5 << 0;
  }
  void theButtonSkinHidesTheCheckedLookUnderTheMouse() {
    QFETCH(ui::WindowState, state);
    QFETCH(int, states);
    QFETCH(int, expected);
    QCOMPARE(ToggleExSkinState(state, states), expected);
  }

  void theTextMovesPastTheIconByItsOffsets() {
    ToggleExLook look;
    QCOMPARE(look.SetAttribute("iconPos", QStringLiteral("4,2")), ui::AttributeResult::kHandled);
    QCOMPARE(look.SetAttribute("TEXTX", QStringLiteral("6")), ui::AttributeResult::kHandled);
    QCOMPARE(ToggleExTextRect(QRect(0, 0, 100, 30), look, 16), QRect(26, 2, 74, 28));
    QCOMPARE(look.SetAttribute("textY", QStringLiteral("0x3")), ui::AttributeResult::kHandled);
    QCOMPARE(ToggleExTextRect(QRect(10, 10, 100, 30), look, 0), QRect(20, 15, 90, 25));
    QCOMPARE(look.SetAttribute("iconPos", QStringLiteral("4")), ui::AttributeResult::kFailed);
    QCOMPARE(look.SetAttribute("textX", QStringLiteral("six")), ui::AttributeResult::kFailed);
    QCOMPARE(look.SetAttribute("iconSkin", QStringLiteral("no_such_skin")),
             ui::AttributeResult::kFailed);
    QCOMPARE(look.SetAttribute("skin", QStringLiteral("skin_icon8")),
             ui::AttributeResult::kUnknown);
    QCOMPARE(look.iconPos, QPoint(4, 2));
  }

  void radioAndCheckPaintSkinIconAndState() {
    Open(QStringLiteral("LAYOUT:toggles"));
    auto* radio = host_->FindChildByName2<SRadioBoxEx>(QStringLiteral("radio_a"));
    auto* other = host_->FindChildByName2<SRadioBoxEx>(QStringLiteral("radio_b"));
    QVERIFY(radio != nullptr && other != nullptr);
    QCOMPARE(radio->GetLook().iconPos, QPoint(4, 2));
    QCOMPARE(radio->GetLook().textX, 6);
    QCOMPARE(radio->DesiredSize(), QSize(10, 10));
    // Unchecked: skin state 0, icon state 0 at 4,2.
    QCOMPARE(Pixel(*radio, 90, 25), kButtonFrames[0]);
    QCOMPARE(Pixel(*radio, 12, 10), IconState(0));
    // Checked: the skin's last state and the icon's checked state.
    radio->SetCheck(true);
    QCOMPARE(Pixel(*radio, 90, 25), kButtonFrames[4]);
    QCOMPARE(Pixel(*radio, 12, 10), IconState(4));
    // Checked under the mouse: the skin's hover state; the icon's checked hover state.
    QTest::mouseMove(radio, QPoint(90, 25));
    QCOMPARE(Pixel(*radio, 90, 25), kButtonFrames[1]);
    QCOMPARE(Pixel(*radio, 12, 10), IconState(5));
    // Radio buttons still exclude each other.
    QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(50, 15));
    QVERIFY(other->IsChecked());
    QVERIFY(!radio->IsChecked());
    QCOMPARE(std::count(host_->events.begin(), host_->events.end(), ui::kEventCommand), 1);

    // A check box without a skin: its icon takes the eight-state index all the same.
    auto* plain = host_->FindChildByName2<SCheckBoxEx>(QStringLiteral("check_plain"));
    QCOMPARE(Pixel(*plain, 8, 15), IconState(0));
    QTest::mouseClick(plain, Qt::LeftButton, {}, QPoint(50, 15));
    QVERIFY(plain->IsChecked());
    QTest::mouseMove(plain, QPoint(99, 29));
    QCOMPARE(Pixel(*plain, 8, 15), IconState(5));
    plain->setEnabled(false);
    QCOMPARE(Pixel(*plain, 8, 15), IconState(7));
    QVERIFY(plain->IsClass("check"));

    auto* skinned = host_->FindChildByName2<SCheckBoxEx>(QStringLiteral("check_skinned"));
    skinned->SetCheck(true);
    QCOMPARE(Pixel(*skinned, 90, 25), kButtonFrames[4]);
    QCOMPARE(Pixel(*skinned, 8, 8), IconState(4));
  }

  void anInAnimationPlaysItsFramesAndHoldsTheLastWhileHovered() {
    FrameAnimation animation;
    const FrameAnimation::Frames frames{5, 1};
    animation.Create();
    QVERIFY(!animation.IsAutoStartPending());
    QVERIFY(!animation.IsAnimating(frames));
    animation.Hover();
    QCOMPARE(animation.GetState(), State::kIn);
    QCOMPARE(animation.GetFrame(), 0);
    QCOMPARE(Run(animation, 200, frames), (std::vector<int>{1, 2, 3, 4}));
    QVERIFY(!animation.IsAnimating(frames));
    Run(animation, 500, frames);
    QCOMPARE(animation.GetState(), State::kIn);
    QCOMPARE(animation.GetFrame(), 4);
    // Gone: the next frame step starts "out", whose one frame ends it at the step after.
    animation.Leave();
    QVERIFY(animation.IsAnimating(frames));
    Run(animation, 50, frames);
    QCOMPARE(animation.GetState(), State::kOut);
    QCOMPARE(animation.GetFrame(), 0);
    QVERIFY(!Tick(animation, frames, 5));
    QCOMPARE(animation.GetState(), State::kNone);
    QVERIFY(!animation.IsAnimating(frames));
    // A hover count that went below zero is kept.
    animation.Leave();
    QCOMPARE(animation.GetHoverCount(), -1);
  }

  void autorunZeroRepeatsWithoutPause() {
    FrameAnimation animation;
    animation.SetAutorun(0);
    const FrameAnimation::Frames frames{4, 0};
    animation.Create();
    QVERIFY(animation.IsAutoStartPending());
    QVERIFY(animation.IsAnimating(frames));
    QVERIFY(animation.Tick(frames));
    QCOMPARE(animation.GetState(), State::kIn);
    // The run ends on frame 0 and the next one starts in the same tick.
    QCOMPARE(Run(animation, 200, frames), (std::vector<int>{1, 2, 3, 0}));
    QCOMPARE(animation.GetState(), State::kIn);
    QVERIFY(!animation.IsAutoStartPending());
    QCOMPARE(Run(animation, 200, frames), (std::vector<int>{1, 2, 3, 0}));
  }

  void intervalsRoundUpToTheTickAndAutorunWaitsItsSeconds() {
    FrameAnimation animation;
    animation.SetInterval(45);
    animation.SetAutorun(1);
    const FrameAnimation::Frames frames{4, 0};
    animation.Create();
    QVERIFY(!Tick(animation, frames, 99));
    QCOMPARE(animation.GetState(), State::kNone);
    QVERIFY(animation.Tick(frames));
    QCOMPARE(animation.GetState(), State::kIn);
    // 45 ms steps every 50 ms.
    QVERIFY(!Tick(animation, frames, 4));
    QVERIFY(animation.Tick(frames));
    QCOMPARE(animation.GetFrame(), 1);
    Run(animation, 100, frames);
    QCOMPARE(animation.GetFrame(), 3);
    // Autorun above 0 keeps the frame at the end of a run and arms the next start.
    Run(animation, 50, frames);
    QCOMPARE(animation.GetState(), State::kNone);
    QCOMPARE(animation.GetFrame(), 4);
    QVERIFY(animation.IsAutoStartPending());
  }

  void anImageWithoutSkinsDoesNotKeepTheTimelineAwake() {
    FrameAnimation animation;
    animation.Hover();
    QVERIFY(!animation.IsAnimating({0, 0}));
    QVERIFY(!Tick(animation, {0, 0}, 10));
    // Held on its last "in" frame, gone, with no "out" frames: nothing more to do.
    animation.Hover();
    Run(animation, 200, {2, 0});
    animation.Leave();
    animation.Leave();
    QVERIFY(!animation.IsAnimating({2, 0}));
  }

  void theAnimatedImageRunsOnTheTimelineAndLetsItStop() {
    Open(QStringLiteral("LAYOUT:anim"));
    auto* image = host_->FindChildByName2<SAnimImg>(QStringLiteral("hover_only"));
    QVERIFY(image != nullptr);
    QCOMPARE(image->size(), QSize(10, 10));
    ui::Timeline& timeline = host_->GetTimeline();
    QTRY_VERIFY(!timeline.IsRunning());
    QCOMPARE(Pixel(*image, 5, 5), QColor(Qt::red));
    QTest::mouseMove(image, QPoint(5, 5));
    QCOMPARE(image->GetAnimation().GetHoverCount(), 1);
    QVERIFY(timeline.IsRunning());
    for (int tick = 0; tick < 5; ++tick) {
      timeline.Tick();
    }
    QCOMPARE(Pixel(*image, 5, 5), QColor(Qt::green));
    for (int tick = 0; tick < 15; ++tick) {
      timeline.Tick();
    }
    QCOMPARE(image->GetAnimation().GetFrame(), 4);
    QVERIFY(!timeline.IsRunning());
    QTest::mouseMove(image->GetParentWindow(), QPoint(150, 80));
    QCOMPARE(image->GetAnimation().GetHoverCount(), 0);
    QVERIFY(timeline.IsRunning());
    for (int tick = 0; tick < 5; ++tick) {
      timeline.Tick();
    }
    QCOMPARE(image->GetAnimation().GetState(), State::kOut);
    QCOMPARE(Pixel(*image, 5, 5), QColor(Qt::magenta));
    for (int tick = 0; tick < 5; ++tick) {
      timeline.Tick();
    }
    QCOMPARE(image->GetAnimation().GetState(), State::kNone);
    QVERIFY(!timeline.IsRunning());
    QCOMPARE(Pixel(*image, 5, 5), QColor(Qt::red));
    image->Destroy();
    QCOMPARE(timeline.HandlerCount(), 0);
  }

  void autorunImagesKeepTheTimelineRunning() {
    Open(QStringLiteral("LAYOUT:anim_auto"));
    auto* image = host_->FindChildByName2<SAnimImg>(QStringLiteral("odd_interval"));
    QCOMPARE(image->GetAnimation().GetInterval(), 45);
    QCOMPARE(image->GetAnimation().GetAutorun(), 1);
    QVERIFY(image->GetAnimation().IsAutoStartPending());
    QCOMPARE(host_->GetTimeline().HandlerCount(), 2);
    QTest::qWait(50);
    QVERIFY(host_->GetTimeline().IsRunning());
    QCOMPARE(image->SetAttribute("interval", QStringLiteral("fast")), ui::AttributeResult::kFailed);
    QCOMPARE(image->SetAttribute("ANI_IN", QStringLiteral("no_such_skin")),
             ui::AttributeResult::kFailed);
    QVERIFY(image->GetInSkin() != nullptr);
  }

  // The caps of a keycaps picture: a row centred in its area, a "+" in the middle of each gap,
  // scaled down as a whole when it does not fit.
  void keyCapsFormOneCentredRow_data() {
    QTest::addColumn<std::vector<qreal>>("widths");
    QTest::addColumn<QRectF>("area");
    QTest::addColumn<std::vector<QRectF>>("caps");
    QTest::addColumn<std::vector<QPointF>>("plusSigns");
    // Height 40, gap 10, "+" 20 wide: 40 between two caps.
    QTest::newRow("none") << std::vector<qreal>{} << QRectF(0, 0, 300, 100) << std::vector<QRectF>{}
                          << std::vector<QPointF>{};
    QTest::newRow("one, centred") << std::vector<qreal>{60} << QRectF(0, 0, 300, 100)
                                  << std::vector<QRectF>{{120, 30, 60, 40}}
                                  << std::vector<QPointF>{};
    QTest::newRow("two with a plus between")
        << std::vector<qreal>{40, 60} << QRectF(10, 0, 300, 100)
        << std::vector<QRectF>{{90, 30, 40, 40}, {170, 30, 60, 40}}
        << std::vector<QPointF>{{150, 50}};
    QTest::newRow("too wide: scaled to fit, centred")
        << std::vector<qreal>{100, 100, 100} << QRectF(0, 0, 190, 100)
        << std::vector<QRectF>{{0, 40, 50, 20}, {70, 40, 50, 20}, {140, 40, 50, 20}}
        << std::vector<QPointF>{{60, 50}, {130, 50}};
    QTest::newRow("too high: scaled to fit")
        << std::vector<qreal>{40} << QRectF(0, 0, 100, 20) << std::vector<QRectF>{{40, 0, 20, 20}}
        << std::vector<QPointF>{};
  }
  void keyCapsFormOneCentredRow() {
    QFETCH(std::vector<qreal>, widths);
    QFETCH(QRectF, area);
    QFETCH(std::vector<QRectF>, caps);
    QFETCH(std::vector<QPointF>, plusSigns);
    const KeyCapRow row = LayOutKeyCaps(widths, 40, 10, 20, area);
    QCOMPARE(row.caps, caps);
    QCOMPARE(row.plusSigns, plusSigns);
  }

 private:
  void Open(const QString& layout) {
    host_ = std::make_unique<test::RecordingHost>(layout);
    QVERIFY(host_->Create());
    host_->show();
    QVERIFY(QTest::qWaitForWindowExposed(host_.get()));
    // The mouse starts outside the window, so that no control is under it.
    QCursor::setPos(host_->mapToGlobal(QPoint(-100, -100)));
    QCoreApplication::processEvents();
  }

  static QColor Pixel(QWidget& widget, int x, int y) {
    return test::PixelAt(test::Render(widget), x, y);
  }

  // `count` ticks; answers whether any of them changed the picture.
  static bool Tick(FrameAnimation& animation, const FrameAnimation::Frames& frames, int count) {
    bool changed = false;
    for (int tick = 0; tick < count; ++tick) {
      changed = animation.Tick(frames) || changed;
    }
    return changed;
  }

  std::unique_ptr<ui::SApplication> app_;
  std::unique_ptr<test::RecordingHost> host_;
};

}  // namespace keyloom::controls

QTEST_MAIN(keyloom::controls::ExtensionControlsTest)
#include "ExtensionControlsTest.moc"

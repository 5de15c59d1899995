#include <QTest>
#include <memory>

#include "ControlsTestSupport.h"
#include "UiTestSupport.h"
#include "controls/STabCtrl2.h"
#include "controls/STabPage2.h"
#include "controls/TabIconAnimation.h"
#include "ui/events/EventIds.h"
#include "ui/events/Timeline.h"

namespace keyloom::controls {

namespace {

using State = TabIconAnimation::State;

constexpr int kTick = ui::Timeline::kTickMs;
constexpr int kInterval = TabIconAnimation::kDefaultFrameIntervalMs;

// Ticks `animation` for `ms` milliseconds; answers the frames it showed after each change.
std::vector<int> Run(TabIconAnimation& animation, int ms, int inFrames, int outFrames) {
  std::vector<int> frames;
  for (int elapsed = 0; elapsed < ms; elapsed += kTick) {
    if (animation.Tick(kTick, kInterval, inFrames, outFrames) &&
        animation.GetState() != State::kNone) {
      frames.push_back(animation.GetFrame());
    }
  }
  return frames;
}

// The colours of the fixture skins (tests/data/controls/uires/values/skin.xml).
const QColor kInFrames[] = {Qt::red, Qt::green, Qt::blue, Qt::white};
const QColor kOutFrame(Qt::magenta);
QColor IconState(int state) {
  return {0x10 * (state + 1), 0x10 * (state + 1), 0x10 * (state + 1)};
}
const QColor kSeparator(Qt::yellow);
const QColor kHeader(Qt::cyan);
const QColor kSelectedTab(0xa0, 0xa0, 0xa0);

}  // namespace

class TabCtrl2Test : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    app_ = test::MakeApplication();
    host_ = std::make_unique<test::RecordingHost>(QStringLiteral("LAYOUT:tabs"));
    QVERIFY(host_->Create());
    host_->show();
    QVERIFY(QTest::qWaitForWindowExposed(host_.get()));
    tabs_ = host_->FindChildByName2<STabCtrl2>(QStringLiteral("tabs"));
    QVERIFY(tabs_ != nullptr);
  }
  void cleanup() {
    host_.reset();
    ui::test::DeleteDestroyedControls();
    app_.reset();
  }

  void anOutSkinOfOneStateShowsFor50Ms() {
    TabIconAnimation animation;
    animation.Enter(kInterval);
    Run(animation, 30, 4, 1);
    animation.Leave(kInterval);
    QCOMPARE(animation.GetState(), State::kLeaving);
    QCOMPARE(animation.GetFrame(), 0);
    Run(animation, 40, 4, 1);
    QCOMPARE(animation.GetState(), State::kLeaving);
    Run(animation, 10, 4, 1);
    QCOMPARE(animation.GetState(), State::kNone);
    QVERIFY(!animation.IsAnimating(4));
    // Entering while leaving restarts the "in" frames.
    animation.Leave(kInterval);
    animation.Enter(kInterval);
    QCOMPARE(animation.GetState(), State::kEntering);
    QCOMPARE(animation.GetFrame(), 0);
  }

  void missingSkinsEndTheAnimationAtTheFirstStep() {
    TabIconAnimation animation;
    animation.Enter(kInterval);
    Run(animation, 50, 0, 0);
    QCOMPARE(animation.GetState(), State::kNone);
    animation.Leave(kInterval);
    Run(animation, 50, 4, 0);
    QCOMPARE(animation.GetState(), State::kNone);
    // An "out" skin of three frames shows two of them.
    animation.Leave(kInterval);
    QCOMPARE(Run(animation, 200, 4, 3), (std::vector<int>{1}));
    QCOMPARE(animation.GetState(), State::kNone);
  }

  void hoveringATabPlaysItsIconAnimationOnTheTimeline() {
    ui::Timeline& timeline = host_->GetTimeline();
    QTRY_VERIFY(!timeline.IsRunning());
    QTest::mouseMove(tabs_, tabs_->ItemRect(0).center());
    auto* page = dynamic_cast<STabPage2*>(tabs_->GetItem(0));
    QCOMPARE(page->Animation().GetState(), State::kEntering);
    QVERIFY(timeline.IsRunning());
    // The hover and leave events are the control's own: the host does not see them.
    QVERIFY(std::find(host_->events.begin(), host_->events.end(), ui::kEventTabItemHover) ==
            host_->events.end());
    // The icon (16 x 16 at 2,2) shows "in" frames 0, 1, 2, 3 at 50 ms steps, then holds 3.
    for (int frame = 0; frame < 4; ++frame) {
      QCOMPARE(IconColor(0), kInFrames[frame]);
      for (int tick = 0; tick < 5; ++tick) {
        timeline.Tick();
      }
    }
    QCOMPARE(IconColor(0), kInFrames[3]);
    QVERIFY(!timeline.IsRunning());

    // Leaving for tab 2: tab 0 shows its one "out" frame for 50 ms, then its icon.
    QTest::mouseMove(tabs_, tabs_->ItemRect(2).center());
    QCOMPARE(page->Animation().GetState(), State::kLeaving);
    QVERIFY(timeline.IsRunning());
    QCOMPARE(IconColor(0), kOutFrame);
    for (int tick = 0; tick < 4; ++tick) {
      timeline.Tick();
    }
    QCOMPARE(IconColor(0), kOutFrame);
    timeline.Tick();
    QCOMPARE(IconColor(0), IconState(0));
    // Tab 2's page has no animation skins: its icon index 5 stays.
    QCOMPARE(IconColor(2), IconState(5));
    timeline.Tick();
    QVERIFY(!timeline.IsRunning());
  }

  void tabsOfPlainPagesKeepTheirIcon() {
    ui::Timeline& timeline = host_->GetTimeline();
    QTest::mouseMove(tabs_, tabs_->ItemRect(3).center());
    // A plain "page" with icon index -1 uses its tab's position.
    QCOMPARE(IconColor(3), IconState(3));
    timeline.Tick();
    QVERIFY(!timeline.IsRunning());
    // Tab 1's page has no "out" skin: the leave ends at once.
    QTest::mouseMove(tabs_, tabs_->ItemRect(1).center());
    QTest::mouseMove(tabs_, tabs_->PageRect().center());
    auto* page = dynamic_cast<STabPage2*>(tabs_->GetItem(1));
    QCOMPARE(page->Animation().GetState(), State::kLeaving);
    QCOMPARE(IconColor(1), IconState(1));
    for (int tick = 0; tick < 5; ++tick) {
      timeline.Tick();
    }
    QCOMPARE(page->Animation().GetState(), State::kNone);
  }

  void separatorsLeaveTheSelectedTabsGapsToIt() {
    QCOMPARE(tabs_->GetCurSel(), 1);
    QImage shown = test::Render(*tabs_);
    // Tab 1 is selected: it grows into the gaps on both sides; the gap between tabs 2 and 3
    // holds a separator; the header background shows beyond the tabs.
    QCOMPARE(test::PixelAt(shown, 61, 25), kSelectedTab);
    QCOMPARE(test::PixelAt(shown, 125, 25), kSelectedTab);
    QCOMPARE(test::PixelAt(shown, 189, 25), kSeparator);
    QCOMPARE(test::PixelAt(shown, 300, 15), kHeader);
    tabs_->SetCurSel(0);
    shown = test::Render(*tabs_);
    QCOMPARE(test::PixelAt(shown, 61, 25), kSelectedTab);
    QCOMPARE(test::PixelAt(shown, 125, 25), kSeparator);
    QCOMPARE(test::PixelAt(shown, 189, 25), kSeparator);
  }

  void theControlLeavesTheTimelineAtDestruction() {
    QCOMPARE(host_->GetTimeline().HandlerCount(), 1);
    tabs_->Destroy();
    QCOMPARE(host_->GetTimeline().HandlerCount(), 0);
  }

  void attributesAreMatchedWithoutCase() {
    QVERIFY(tabs_->GetHeaderBackgroundSkin() != nullptr);
    QCOMPARE(tabs_->SetAttribute("TABHEADBGSKIN", QStringLiteral("no_such_skin")),
             ui::AttributeResult::kFailed);
    QVERIFY(tabs_->GetHeaderBackgroundSkin() != nullptr);
    QCOMPARE(tabs_->SetAttribute("tabHeadBgSkin", QString()), ui::AttributeResult::kHandled);
    QVERIFY(tabs_->GetHeaderBackgroundSkin() == nullptr);
    auto* page = dynamic_cast<STabPage2*>(tabs_->GetItem(0));
    QCOMPARE(page->InFrames(), 4);
    QCOMPARE(page->OutFrames(), 1);
    QCOMPARE(page->SetAttribute("ANI_OUT", QStringLiteral("no_such_skin")),
             ui::AttributeResult::kFailed);
    QCOMPARE(page->OutFrames(), 1);
    QVERIFY(page->IsClass("page"));
    QVERIFY(tabs_->IsClass("tabctrl"));
  }

 private:
  // The colour in the middle of tab `index`'s icon.
  QColor IconColor(int index) const {
    const QPoint centre = tabs_->ItemRect(index).topLeft() + QPoint(2 + 8, 2 + 8);
    return test::PixelAt(test::Render(*tabs_), centre.x(), centre.y());
  }

  std::unique_ptr<ui::SApplication> app_;
  std::unique_ptr<test::RecordingHost> host_;
  STabCtrl2* tabs_ = nullptr;
};

}  // namespace keyloom::controls

QTEST_MAIN(keyloom::controls::TabCtrl2Test)
#include "TabCtrl2Test.moc"

#include <QTest>
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "MainWindowFixture.h"
#include "app/ColourGroup.h"
#include "app/Language.h"
#include "controls/SCheckBoxEx.h"
#include "controls/SRadioBoxEx.h"
#include "protocol/LightingTable.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/widgets/SComboBox.h"
#include "ui/widgets/SSliderBar.h"

namespace keyloom::app {
namespace {

using test::LightingLines;
using test::MainWindowUnderTest;
using Record = std::array<std::uint8_t, 5>;

constexpr Record kDefaultRecord{0x01, 0x01, 0x03, 0x03, 0x00};
constexpr Record kDefaultAreaRecord{0x00, 0x00, 0x00, 0x03, 0x00};

// The panels of the layout, in the order of the rows below: direction, speed, brightness, colour
// bar, user areas.
constexpr std::array<const char*, 5> kPanels = {"radio_direction_parent", "bar_speed_parent",
                                                "bar_brightness_parent", "bar_color_parent",
                                                "udef_area_parent"};

Record RecordOf(CMainDlg& window, int ledMode) {
  return window.Connection().State().lighting[ledMode].bytes;
}

ui::SComboBox& LedModes(CMainDlg& window) {
  return *window.FindChildByName2<ui::SComboBox>(QStringLiteral("cmb_led_mode"));
}

ui::SSliderBar& Slider(CMainDlg& window, const char* name) {
  return *window.FindChildByName2<ui::SSliderBar>(QLatin1String(name));
}

// Selects `ledMode` as the user does, and forgets what that sent.
void ChooseMode(MainWindowUnderTest& main, int ledMode) {
  LedModes(main.window()).SetCurSel(ledMode, true);
  (void)main.TakeTrace();
}

// Moves a slider with the keyboard, as the user may.
void PressOn(CMainDlg& window, const char* slider, Qt::Key key) {
  QTest::keyClick(&Slider(window, slider), key);
}

QString AreaColour(int area, int n) {
  return QStringLiteral("udef_area%1_color%2").arg(area).arg(n);
}

class LightingPanelTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ui::SApplication> app_;

 private Q_SLOTS:
  void init() { app_ = test::MakeApplication(QLatin1String(kEnglishTranslator)); }
  void cleanup() { app_.reset(); }

  // A group's value is its first checked member; selecting checks one and unchecks the others,
  // and an index outside the group unchecks them all.
  void colourGroupIsOneChoice() {
    ui::SWindow parent;
    std::vector<ui::SWindow*> boxes;
    for (int i = 0; i < 3; ++i) {
      auto* box = new controls::SCheckBoxEx();
      box->setParent(&parent);
      box->SetCheck(true);
      boxes.push_back(box);
    }
    ColourGroup group;
    group.Add(boxes[0]);
    group.Add(nullptr);  // missing from the layout: the next member takes its index
    group.Add(boxes[1]);
    group.Add(boxes[2]);
    QCOMPARE(group.Size(), std::size_t{3});
    QVERIFY(!boxes[0]->IsChecked() && !boxes[1]->IsChecked() && !boxes[2]->IsChecked());
    QCOMPARE(group.Value(), -1);

    boxes[2]->SetCheck(true);
    boxes[1]->SetCheck(true);
    QCOMPARE(group.Value(), 1);

    group.Select(2);
    QVERIFY(!boxes[0]->IsChecked() && !boxes[1]->IsChecked() && boxes[2]->IsChecked());
    QCOMPARE(group.Value(), 2);
    for (const int outside : {3, -1, 15}) {
      boxes[0]->SetCheck(true);
      group.Select(outside);
      QCOMPARE(group.Value(), -1);
    }
  }

  // Radio buttons that exclude each other keep the member selected.
  void colourGroupOfRadioButtons() {
    ui::SWindow parent;
    ColourGroup group;
    std::vector<ui::SWindow*> radios;
    for (int i = 0; i < 4; ++i) {
      auto* radio = new controls::SRadioBoxEx();
      radio->setParent(&parent);
      radios.push_back(radio);
      group.Add(radio);
    }
    for (const int index : {3, 0, 2}) {
      group.Select(index);
      QCOMPARE(group.Value(), index);
      for (int i = 0; i < 4; ++i) {
        QCOMPARE(radios[static_cast<std::size_t>(i)]->IsChecked(), i == index);
      }
    }
  }

  // The click of a check-style control reaches its listeners once the control shows its new
  // state, so the lighting stores what the user chose.
  void clicksArriveAfterTheNewCheckedState_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("radio") << QStringLiteral("radio_direction_right");
    QTest::newRow("swatch") << QStringLiteral("bar_color0");
  }

  void clicksArriveAfterTheNewCheckedState() {
    QFETCH(QString, name);
    MainWindowUnderTest main;
    QVERIFY(main.ShowAndWait());
    ui::SWindow* control = main.window().FindChildByName(name);
    QVERIFY(control != nullptr);
    QVERIFY(!control->IsChecked());
    std::vector<bool> checkedWhenClicked;
    control->Subscribe(ui::kEventCommand, [&checkedWhenClicked](ui::EventArgs& args) {
      checkedWhenClicked.push_back(args.sender->IsChecked());
    });
    ChooseMode(main, 1);

    QVERIFY(main.Click(name.toLatin1().constData()));

    QCOMPARE(checkedWhenClicked, std::vector<bool>{true});
  }

  // Each mode shows its own panels; chosen for the first time it sends its default record,
  // whatever the controls showed.
  void firstChoiceOfAModeSendsItsDefaults_data() {
    QTest::addColumn<int>("ledMode");
    QTest::addColumn<QString>("panels");  // one x or . per panel of kPanels
    QTest::newRow("0") << 0 << QStringLiteral("xxx..");
    QTest::newRow("1") << 1 << QStringLiteral("xxxx.");
    QTest::newRow("2") << 2 << QStringLiteral("xxxx.");
    QTest::newRow("3") << 3 << QStringLiteral("..xx.");
    QTest::newRow("4") << 4 << QStringLiteral(".xxx.");
    QTest::newRow("5") << 5 << QStringLiteral(".xx..");
    QTest::newRow("6") << 6 << QStringLiteral("xxx..");
    QTest::newRow("7") << 7 << QStringLiteral("..x..");
    QTest::newRow("8") << 8 << QStringLiteral("..x.x");
    QTest::newRow("9") << 9 << QStringLiteral("..x..");
  }

  void firstChoiceOfAModeSendsItsDefaults() {
    QFETCH(int, ledMode);
    QFETCH(QString, panels);
    MainWindowUnderTest main;
    // Mode 0 is chosen at the start without sending; to choose it, come from another mode.
    ChooseMode(main, ledMode == 0 ? 9 : 0);
    // Controls that say otherwise than the defaults.
    PressOn(main.window(), "bar_brightness", Qt::Key_Home);
    (void)main.TakeTrace();

    QVERIFY(LedModes(main.window()).SetCurSel(ledMode, true));

    const Record expected = ledMode == 8 ? kDefaultAreaRecord : kDefaultRecord;
    QCOMPARE(main.TakeTrace(), LightingLines(ledMode, expected));
    for (std::size_t i = 0; i < kPanels.size(); ++i) {
      QVERIFY2(main.IsShown(kPanels[i]) == (panels[static_cast<int>(i)] == QLatin1Char('x')),
               kPanels[i]);
    }
    QCOMPARE(Slider(main.window(), "bar_brightness").GetValue(), 3);
  }

  // An entry outside the ten modes changes and sends nothing.
  void entriesBeyondTheModesDoNothing() {
    MainWindowUnderTest main;
    ui::SComboBox& modes = LedModes(main.window());
    modes.AddString(QStringLiteral("Eleventh"));
    const protocol::LightingTable before = main.window().Connection().State().lighting;
    (void)main.TakeTrace();

    QVERIFY(modes.SetCurSel(10, true));
    PressOn(main.window(), "bar_brightness", Qt::Key_Home);

    QVERIFY(main.TakeTrace().empty());
    QVERIFY(main.window().Connection().State().lighting == before);
  }

  // Every slider move stores the slider and sends the record at once.
  void slidersStoreAndSend() {
    MainWindowUnderTest main;
    ChooseMode(main, 4);

    PressOn(main.window(), "bar_speed", Qt::Key_Left);
    QCOMPARE(main.TakeTrace(), LightingLines(4, {0x01, 0x01, 0x02, 0x03, 0x00}));
    PressOn(main.window(), "bar_brightness", Qt::Key_Home);
    QCOMPARE(main.TakeTrace(), LightingLines(4, {0x01, 0x01, 0x02, 0x00, 0x00}));
    // At the end already: no move, nothing sent.
    PressOn(main.window(), "bar_brightness", Qt::Key_Home);
    QVERIFY(main.TakeTrace().empty());
  }

  // In mode 8 the speed is not part of the record: moving it stores the brightness and the areas
  // only.
  void speedDoesNotCountInTheAreaMode() {
    MainWindowUnderTest main;
    ChooseMode(main, 8);

    PressOn(main.window(), "bar_speed", Qt::Key_Home);

    QCOMPARE(main.TakeTrace(), LightingLines(8, kDefaultAreaRecord));
    QCOMPARE(RecordOf(main.window(), 8), kDefaultAreaRecord);
  }

  // Clicks of the direction and colour controls, "bar_color0" (none of the seven) included; a
  // click on the control that is checked already sends the record too.
  void directionAndColourClicks_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("colourByte");
    QTest::addColumn<int>("directionByte");
    QTest::newRow("right") << QStringLiteral("radio_direction_right") << 1 << 2;
    QTest::newRow("left") << QStringLiteral("radio_direction_left") << 1 << 1;
    for (int n = 0; n <= 7; ++n) {
      const QString name = QStringLiteral("bar_color%1").arg(n);
      QTest::newRow(qPrintable(name)) << name << n << 1;
    }
  }

  void directionAndColourClicks() {
    QFETCH(QString, control);
    QFETCH(int, colourByte);
    QFETCH(int, directionByte);
    MainWindowUnderTest main;
    QVERIFY(main.ShowAndWait());
    ChooseMode(main, 2);

    QVERIFY(main.Click(control.toLatin1().constData()));

    QCOMPARE(main.TakeTrace(),
             LightingLines(2, {static_cast<std::uint8_t>(colourByte),
                               static_cast<std::uint8_t>(directionByte), 0x03, 0x03, 0x00}));
  }

  // Mode 8: each area's colours fill its nibble (area 1 the high nibble of byte 0, area 2 its
  // low nibble, ...); the first colour of an area stands for none, 15.
  void areaColourClicks_data() {
    QTest::addColumn<int>("area");
    QTest::addColumn<int>("colour");
    QTest::addColumn<int>("nibble");
    for (int area = 1; area <= 6; ++area) {
      for (int colour = 1; colour <= 8; ++colour) {
        QTest::addRow("area %d colour %d", area, colour)
            << area << colour << (colour == 1 ? 15 : colour - 2);
      }
    }
  }

  void areaColourClicks() {
    QFETCH(int, area);
    QFETCH(int, colour);
    QFETCH(int, nibble);
    MainWindowUnderTest main;
    QVERIFY(main.ShowAndWait());
    ChooseMode(main, 8);
    if (colour == 2) {
      // The default; start from another colour so that the click is a change.
      QVERIFY(main.Click(AreaColour(area, 5).toLatin1().constData()));
      (void)main.TakeTrace();
    }

    QVERIFY(main.Click(AreaColour(area, colour).toLatin1().constData()));

    Record expected = kDefaultAreaRecord;
    const std::size_t byte = static_cast<std::size_t>((area - 1) / 2);
    const int shift = area % 2 == 1 ? 4 : 0;
    expected[byte] = static_cast<std::uint8_t>(nibble << shift);
    QCOMPARE(main.TakeTrace(), LightingLines(8, expected));
  }

  // Mode 8 with every area on its second colour sends zeros and the brightness.
  void everyAreaOnItsSecondColour() {
    MainWindowUnderTest main;
    QVERIFY(main.ShowAndWait());
    ChooseMode(main, 8);
    for (int area = 1; area <= 6; ++area) {
      QVERIFY(main.Click(AreaColour(area, 7).toLatin1().constData()));
    }
    PressOn(main.window(), "bar_brightness", Qt::Key_Left);
    (void)main.TakeTrace();

    for (int area = 1; area <= 6; ++area) {
      QVERIFY(main.Click(AreaColour(area, 2).toLatin1().constData()));
    }

    const test::TraceLines trace = main.TakeTrace();
    QCOMPARE(trace.back(), test::TransferLine("set", {0x07, 0xf7, 0x08, 0, 0, 0, 0x02, 0}));
  }

  // Switching modes never stores the controls into the old mode; coming back shows that mode's
  // own colour, direction, speed and brightness, and sends its record.
  void modesKeepTheirOwnSettings() {
    MainWindowUnderTest main;
    QVERIFY(main.ShowAndWait());
    ChooseMode(main, 1);
    QVERIFY(main.Click("bar_color3"));
    QVERIFY(main.Click("radio_direction_right"));
    PressOn(main.window(), "bar_speed", Qt::Key_Home);
    PressOn(main.window(), "bar_brightness", Qt::Key_Left);
    ChooseMode(main, 8);
    QVERIFY(main.Click("udef_area4_color1"));
    (void)main.TakeTrace();

    QVERIFY(LedModes(main.window()).SetCurSel(2, true));
    QCOMPARE(main.TakeTrace(), LightingLines(2, kDefaultRecord));
    QVERIFY(main.IsChecked("bar_color1") && main.IsChecked("radio_direction_left"));
    QCOMPARE(Slider(main.window(), "bar_speed").GetValue(), 3);

    QVERIFY(LedModes(main.window()).SetCurSel(1, true));
    QCOMPARE(main.TakeTrace(), LightingLines(1, {0x03, 0x02, 0x00, 0x02, 0x00}));
    QVERIFY(main.IsChecked("bar_color3") && !main.IsChecked("bar_color1"));
    QVERIFY(main.IsChecked("radio_direction_right") && !main.IsChecked("radio_direction_left"));
    QCOMPARE(Slider(main.window(), "bar_speed").GetValue(), 0);
    QCOMPARE(Slider(main.window(), "bar_brightness").GetValue(), 2);

    QVERIFY(LedModes(main.window()).SetCurSel(8, true));
    QCOMPARE(main.TakeTrace(), LightingLines(8, {0x00, 0x0f, 0x00, 0x03, 0x00}));
    QVERIFY(main.IsChecked("udef_area4_color1"));
    for (int n = 2; n <= 8; ++n) {
      QVERIFY(!main.IsChecked(AreaColour(4, n).toLatin1().constData()));
    }
    QVERIFY(main.IsChecked("udef_area3_color2"));
  }

  // A record with bits that the window never writes (from a backup or the other program) loads
  // as the controls can show it; a change stores what they show into their bits and keeps every
  // other bit.
  void recordsOfOtherBitsKeepThem_data() {
    QTest::addColumn<int>("ledMode");
    QTest::addColumn<QByteArray>("loaded");
    QTest::addColumn<QString>("control");  // clicked, or a slider moved one step right
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("colour") << 1 << QByteArray::fromHex("f5fefdfeab")
                            << QStringLiteral("bar_color2") << QByteArray::fromHex("f2fefdfeab");
    // Area nibbles 9, 7 and 14 show as none of the seven.
    QTest::newRow("areas") << 8 << QByteArray::fromHex("9f7e12feab")
                           << QStringLiteral("udef_area6_color5")
                           << QByteArray::fromHex("ffff13feab");
    // A direction 3 shows as left.
    QTest::newRow("direction") << 3 << QByteArray::fromHex("0003020100")
                               << QStringLiteral("bar_brightness")
                               << QByteArray::fromHex("0001020200");
  }

  void recordsOfOtherBitsKeepThem() {
    QFETCH(int, ledMode);
    QFETCH(QByteArray, loaded);
    QFETCH(QString, control);
    QFETCH(QByteArray, stored);
    MainWindowUnderTest main;
    QVERIFY(main.ShowAndWait());
    Record record{};
    std::copy(loaded.begin(), loaded.end(), record.begin());
    main.window().Connection().SendLighting(ledMode, protocol::LightingRecord{record});
    ChooseMode(main, ledMode);

    if (control == QLatin1String("bar_brightness")) {
      PressOn(main.window(), "bar_brightness", Qt::Key_Right);
    } else {
      QVERIFY(main.Click(control.toLatin1().constData()));
    }

    std::copy(stored.begin(), stored.end(), record.begin());
    QCOMPARE(main.TakeTrace(), LightingLines(ledMode, record));
  }

  // A mode whose record says "no colour" shows "bar_color0", whatever another mode checked
  // before, so that the next slider move keeps the colour at none.
  void noColourShowsAsNone() {
    MainWindowUnderTest main;
    QVERIFY(main.ShowAndWait());
    ChooseMode(main, 1);
    QVERIFY(main.Click("bar_color0"));
    ChooseMode(main, 2);
    QVERIFY(main.Click("bar_color6"));
    ChooseMode(main, 1);

    QVERIFY(main.IsChecked("bar_color0"));
    for (int n = 1; n <= 7; ++n) {
      QVERIFY(!main.IsChecked(qPrintable(QStringLiteral("bar_color%1").arg(n))));
    }
    PressOn(main.window(), "bar_brightness", Qt::Key_Left);
    QCOMPARE(main.TakeTrace(), LightingLines(1, {0x00, 0x01, 0x03, 0x02, 0x00}));
  }
};

}  // namespace
}  // namespace keyloom::app

QTEST_MAIN(keyloom::app::LightingPanelTest)
#include "LightingPanelTest.moc"

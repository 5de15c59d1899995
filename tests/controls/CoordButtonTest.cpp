#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QToolTip>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "ControlsTestSupport.h"
#include "controls/CoordButtonFile.h"
#include "controls/CoordButtonImage.h"
#include "controls/CoordButtonImageAccessible.h"
#include "controls/CoordButtonPainter.h"
#include "controls/CoordButtonSet.h"
#include "controls/KeyNavigation.h"
#include "controls/MouseKeyFlags.h"
#include "controls/PictureMapping.h"
#include "ui/skin/Image.h"

namespace keyloom::controls {

namespace {

// The fixture keys (tests/data/controls/keys/keys.xml), in file order: A (id 4) 10,10 20x20;
// B (id 5) 20,10 20x20, overlapping A; C (id 4 again) 50,10 10x10; D (no id) 70,10 10x10;
// E (id 7) 85,10 10x10.
constexpr std::size_t kA = 0;
constexpr std::size_t kB = 1;
constexpr std::size_t kC = 2;
constexpr std::size_t kD = 3;
const QPointF kOnAOnly(15, 15);
const QPointF kOnAAndB(25, 15);
const QPointF kOnBOnly(35, 15);
const QPointF kOnC(55, 15);
const QPointF kOnD(75, 15);
const QPointF kOnNothing(5, 5);

CoordButtonSet FixtureKeys() {
  return CoordButtonSet(
      LoadCoordButtons(test::KeysPath(QStringLiteral("keys.xml")), kDefaultKeyColor));
}

std::vector<bool> Checked(const CoordButtonSet& keys) {
  std::vector<bool> checked;
  for (const CoordButton& button : keys.Buttons()) {
    checked.push_back(button.checked);
  }
  return checked;
}

struct Click {
  int id;
  QString name;
  int event;
  std::uint32_t flags;
  int x;
  int y;

  friend bool operator==(const Click&, const Click&) = default;
};

class RecordingListener : public ICoordButtonClickListener {
 public:
  bool OnCoordButtonClick(int id, const QString& name, int event, std::uint32_t flags, int x,
                          int y) override {
    clicks.push_back({id, name, event, flags, x, y});
    return answer;
  }

  std::vector<Click> clicks;
  bool answer = false;
};

std::shared_ptr<const ui::Image> Solid(QColor color, QSize size = {100, 50}) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(color);
  return ui::Image::FromImage(image);
}

// The fixture picture as a raster: transparent but for a grey bar along the bottom (y 40-49).
std::shared_ptr<const ui::Image> Picture() {
  QImage image(100, 50, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter(&image).fillRect(0, 40, 100, 10, QColor(0x80, 0x80, 0x80));
  return ui::Image::FromImage(image);
}

}  // namespace

class CoordButtonTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    image_.reset();
    app_.reset();
  }

  // The arrows move the focus mark by the keys' places: along the row, or to the nearest key of
  // the nearest row above or below; nowhere past the edge.
  void arrowsMoveByTheKeysPlaces_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("to");
    // Esc F1 .. F2          (row at y 0)
    // Tab  Q   W            (row at y 50, Tab wide)
    // Caps      A           (row at y 100)
    const auto row = [](const char* title, int from, KeyDirection direction, int to) {
      QTest::newRow(title) << from << int(direction) << to;
    };
    row("right along the row", 0, KeyDirection::kRight, 1);
    row("right skips the gap", 1, KeyDirection::kRight, 2);
    row("left along the row", 4, KeyDirection::kLeft, 3);
    row("no key past the right edge", 2, KeyDirection::kRight, -1);
    row("no key past the left edge", 3, KeyDirection::kLeft, -1);
    row("down to the nearest across", 1, KeyDirection::kDown, 4);
    row("down under a wide key", 3, KeyDirection::kDown, 6);
    row("down to the key below", 2, KeyDirection::kDown, 5);
    row("up from the last row", 7, KeyDirection::kUp, 5);
    row("no key above the first row", 1, KeyDirection::kUp, -1);
    row("no key below the last row", 6, KeyDirection::kDown, -1);
    row("a key without a rectangle is never reached", 7, KeyDirection::kRight, -1);
  }

  void arrowsMoveByTheKeysPlaces() {
    QFETCH(int, from);
    QFETCH(int, direction);
    QFETCH(int, to);
    const auto key = [](int x, int y, int width) {
      CoordButton button;
      button.rect = QRect(x, y, width, 40);
      return button;
    };
    const std::vector<CoordButton> keys = {
        key(0, 0, 40),   key(60, 0, 40),    key(300, 0, 40),   // Esc, F1, F2
        key(0, 50, 70),  key(75, 50, 40),   key(280, 50, 40),  // Tab, Q, W
        key(0, 100, 80), key(290, 100, 40),                    // Caps, A
        CoordButton{},                                         // no place
    };
    const std::optional<std::size_t> moved =
        NeighbourKey(keys, static_cast<std::size_t>(from), static_cast<KeyDirection>(direction));
    QCOMPARE(moved ? static_cast<int>(*moved) : -1, to);
  }

  void keyColoursReadAsHexadecimalAbgr_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::uint32_t>("expected");
    const std::uint32_t fallback = 0x12345678;
    QTest::newRow("no digit") << "##" << fallback;
    QTest::newRow("empty") << "" << fallback;
    QTest::newRow("not hexadecimal") << "red" << fallback;
    QTest::newRow("only the prefix") << "0x" << fallback;
    QTest::newRow("beyond 32 bits") << "1FFFFFFFF" << fallback;
    QTest::newRow("opaque red") << "FF0000FF" << std::uint32_t{0xFF0000FF};
    QTest::newRow("hash: alpha 0") << "#FF0000" << std::uint32_t{0x00FF0000};
    QTest::newRow("0x prefix") << "0xFF00FF00" << std::uint32_t{0xFF00FF00};
    QTest::newRow("upper-case prefix") << "0X1f" << std::uint32_t{0x1F};
    QTest::newRow("blanks and hashes anywhere") << " # 80 40#20 10 " << std::uint32_t{0x80402010};
    QTest::newRow("leading zeros") << "000000FF0000FF" << std::uint32_t{0xFF0000FF};
    QTest::newRow("stops at the first non-digit") << "12G4" << std::uint32_t{0x12};
  }
  void keyColoursReadAsHexadecimalAbgr() {
    QFETCH(QString, text);
    QFETCH(std::uint32_t, expected);
    QCOMPARE(ParseKeyColor(text.toStdString(), 0x12345678), expected);
  }

  void keyRectanglesReadAsPositionAndSize_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("empty") << "" << QRect(0, 0, 0, 0);
    QTest::newRow("not a number") << "x" << QRect(0, 0, 0, 0);
    QTest::newRow("stops at a bad number") << "5,x,7,8" << QRect(5, 0, 0, 0);
    QTest::newRow("out of range ends it") << "1,99999999,3,4" << QRect(1, 0, 0, 0);
    QTest::newRow("two numbers") << "1,2" << QRect(1, 2, 0, 0);
    QTest::newRow("blanks") << "10, 20, 30, 40" << QRect(10, 20, 30, 40);
    QTest::newRow("signs") << "+3,-4,5,6" << QRect(3, -4, 5, 6);
    QTest::newRow("extra numbers ignored") << "1,2,3,4,5" << QRect(1, 2, 3, 4);
  }
  void keyRectanglesReadAsPositionAndSize() {
    QFETCH(QString, text);
    QFETCH(QRect, expected);
    QCOMPARE(ParseKeyRect(text.toStdString()), expected);
  }

  void theCoordinateFileGivesKeysInFileOrder() {
    const std::vector<CoordButton> keys =
        LoadCoordButtons(test::KeysPath(QStringLiteral("keys.xml")), kDefaultKeyColor);
    QCOMPARE(keys.size(), std::size_t{5});
    std::vector<int> ids;
    QStringList names;
    for (const CoordButton& key : keys) {
      ids.push_back(key.id);
      names << key.name;
      QVERIFY(!key.checked && !key.hovered && !key.pressed);
    }
    QCOMPARE(ids, (std::vector<int>{4, 5, 4, -1, 7}));
    QCOMPARE(names, (QStringList{"A", "B", "C", "D", "E"}));
    // "rect" is x, y, width, height: right and bottom exclusive at 40 and 60 for "10,20,30,40".
    QCOMPARE(keys[kC].rect, QRect(50, 10, 10, 10));
    QCOMPARE(keys[kA].color, std::uint32_t{0xFF0000FF});
    QCOMPARE(keys[kC].color, std::uint32_t{0x00FF0000});
    // No "color", and a "color" without a digit: the default key colour.
    QCOMPARE(keys[kD].color, kDefaultKeyColor);
    QCOMPARE(keys[4].color, kDefaultKeyColor);

    const std::vector<CoordButton> noIds =
        LoadCoordButtons(test::KeysPath(QStringLiteral("no_ids.xml")), kDefaultKeyColor);
    QCOMPARE(noIds.size(), std::size_t{2});
    QCOMPARE(noIds[0].id, -1);
    QCOMPARE(noIds[1].id, -1);
  }

  void unreadableCoordinateFilesGiveNoKeys_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("top element not positions") << "wrong_root.xml";
    QTest::newRow("malformed") << "broken.xml";
    QTest::newRow("missing") << "does_not_exist.xml";
    QTest::newRow("a folder") << ".";
  }
  void unreadableCoordinateFilesGiveNoKeys() {
    QFETCH(QString, file);
    QVERIFY(LoadCoordButtons(test::KeysPath(file), kDefaultKeyColor).empty());
  }

  void theCoordinateFileLiesInTheProgramFolder() {
    const QString dir = QStringLiteral("/opt/keyloom");
    QCOMPARE(CoordFilePath(dir, "uires/xml/keyboard.xml"), "/opt/keyloom/uires/xml/keyboard.xml");
    QCOMPARE(CoordFilePath(dir, "/keys.xml"), "/opt/keyloom/keys.xml");
    QCOMPARE(CoordFilePath(dir, "\\uires\\keys.xml"), "/opt/keyloom/uires/keys.xml");
    QCOMPARE(CoordFilePath(dir, "C:\\keys.xml"), "/opt/keyloom/C:/keys.xml");
  }

  void theMouseHoversEveryKeyUnderItAndNamesTheLast() {
    CoordButtonSet keys = FixtureKeys();
    QVERIFY(keys.MouseMove(kOnAAndB));
    QVERIFY(keys.Buttons()[kA].hovered);
    QVERIFY(keys.Buttons()[kB].hovered);
    QVERIFY(!keys.Buttons()[kC].hovered);
    QCOMPARE(keys.LastHit(kOnAAndB), std::optional<std::size_t>(kB));
    QCOMPARE(keys.HitTest(kOnAAndB), std::optional<std::size_t>(kA));
    QVERIFY(!keys.MouseMove(kOnAAndB));
    QVERIFY(keys.MouseMove(kOnBOnly));
    QVERIFY(!keys.Buttons()[kA].hovered);
    QVERIFY(keys.Buttons()[kB].hovered);
    QVERIFY(keys.MouseMove(kOnNothing));
    QCOMPARE(keys.LastHit(kOnNothing), std::nullopt);
    keys.MouseMove(kOnC);
    QVERIFY(keys.MouseLeave());
    QVERIFY(!keys.Buttons()[kC].hovered);
    QVERIFY(!keys.MouseLeave());
  }

  void keysAreHitFromLeftTopToRightBottomExclusive_data() {
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<int>("first");
    QTest::newRow("left-top corner") << QPointF(10, 10) << static_cast<int>(kA);
    QTest::newRow("last pixel inside") << QPointF(29.9, 29.9) << static_cast<int>(kA);
    QTest::newRow("right edge") << QPointF(40, 15) << -1;
    QTest::newRow("bottom edge") << QPointF(15, 30) << -1;
    QTest::newRow("left of it") << QPointF(9.9, 15) << -1;
    QTest::newRow("only the second") << QPointF(30, 15) << static_cast<int>(kB);
  }
  void keysAreHitFromLeftTopToRightBottomExclusive() {
    QFETCH(QPointF, point);
    QFETCH(int, first);
    const std::optional<std::size_t> hit = FixtureKeys().HitTest(point);
    QCOMPARE(hit ? static_cast<int>(*hit) : -1, first);
  }

  void singleSelectionChecksTheFirstKeyWithThePressedId() {
    CoordButtonSet keys = FixtureKeys();
    keys.SetSelectionType(CoordButtonSet::kSelectionSingle);
    // C shares A's id: the press on C checks A.
    keys.ApplyPress(kC, false);
    QCOMPARE(Checked(keys), (std::vector<bool>{true, false, false, false, false}));
    QVERIFY(keys.Buttons()[kC].pressed);
    keys.ApplyPress(kC, false);
    QCOMPARE(Checked(keys), (std::vector<bool>{true, false, false, false, false}));
    keys.ApplyPress(kB, false);
    QCOMPARE(Checked(keys), (std::vector<bool>{false, true, false, false, false}));
    // A listener that took the press leaves the checks alone; the key is pressed all the same.
    keys.ApplyPress(kD, true);
    QCOMPARE(Checked(keys), (std::vector<bool>{false, true, false, false, false}));
    QVERIFY(keys.Buttons()[kD].pressed);
    keys.ApplyRelease(kD);
    QVERIFY(!keys.Buttons()[kD].pressed);
  }

  void multipleSelectionTogglesTheFirstKeyWithThePressedId() {
    CoordButtonSet keys = FixtureKeys();
    keys.SetSelectionType(CoordButtonSet::kSelectionMultiple);
    keys.ApplyPress(kB, false);
    keys.ApplyPress(kC, false);
    QCOMPARE(Checked(keys), (std::vector<bool>{true, true, false, false, false}));
    keys.ApplyPress(kA, false);
    QCOMPARE(Checked(keys), (std::vector<bool>{false, true, false, false, false}));
    keys.ApplyPress(kD, false);
    QCOMPARE(Checked(keys), (std::vector<bool>{false, true, false, true, false}));

    // Keys without ids all have -1: a press on any of them toggles the first.
    CoordButtonSet noIds(
        LoadCoordButtons(test::KeysPath(QStringLiteral("no_ids.xml")), kDefaultKeyColor));
    noIds.SetSelectionType(CoordButtonSet::kSelectionMultiple);
    noIds.ApplyPress(1, false);
    QCOMPARE(Checked(noIds), (std::vector<bool>{true, false}));

    CoordButtonSet none = FixtureKeys();
    none.ApplyPress(kA, false);
    QCOMPARE(Checked(none), (std::vector<bool>(5, false)));
  }

  void ownerOperationsTakeTheFirstKeyOrEveryKey() {
    CoordButtonSet keys = FixtureKeys();
    QVERIFY(keys.HasButton(7));
    QVERIFY(keys.HasButton(-1));
    QVERIFY(!keys.HasButton(99));
    QVERIFY(!keys.IsChecked(99));
    QVERIFY(!keys.SetChecked(99, true));
    QVERIFY(keys.SetChecked(4, true));
    QCOMPARE(Checked(keys), (std::vector<bool>{true, false, false, false, false}));
    QVERIFY(keys.IsChecked(4));
    keys.ToggleChecked(CoordButtonSet::kAllButtons);
    QCOMPARE(Checked(keys), (std::vector<bool>{false, true, true, true, true}));
    keys.SetChecked(CoordButtonSet::kAllButtons, false);
    QCOMPARE(Checked(keys), (std::vector<bool>(5, false)));
    keys.SetColor(4, 0x11223344);
    QCOMPARE(keys.Buttons()[kA].color, std::uint32_t{0x11223344});
    QCOMPARE(keys.Buttons()[kC].color, std::uint32_t{0x00FF0000});
    keys.SetColor(CoordButtonSet::kAllButtons, 0xFF000000);
    for (const CoordButton& button : keys.Buttons()) {
      QCOMPARE(button.color, std::uint32_t{0xFF000000});
    }
  }

  void mouseFlagsAreTheWindowsKeyStateBits_data() {
    QTest::addColumn<Qt::MouseButtons>("buttons");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<std::uint32_t>("expected");
    QTest::newRow("nothing") << Qt::MouseButtons() << Qt::KeyboardModifiers() << std::uint32_t{0};
    QTest::newRow("left") << Qt::MouseButtons(Qt::LeftButton) << Qt::KeyboardModifiers()
                          << kMkLButton;
    QTest::newRow("right and middle") << (Qt::RightButton | Qt::MiddleButton)
                                      << Qt::KeyboardModifiers() << (kMkRButton | kMkMButton);
    QTest::newRow("shift and control, alt ignored")
        << Qt::MouseButtons(Qt::LeftButton)
        << (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)
        << (kMkLButton | kMkShift | kMkControl);
  }
  void mouseFlagsAreTheWindowsKeyStateBits() {
    QFETCH(Qt::MouseButtons, buttons);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(std::uint32_t, expected);
    QCOMPARE(MouseKeyFlags(buttons, modifiers), expected);
  }

  void paintingShowsKeyFillsThenPictureThenHoverAndCheckedParts() {
    std::vector<CoordButton> keys =
        LoadCoordButtons(test::KeysPath(QStringLiteral("keys.xml")), kDefaultKeyColor);
    keys[kB].hovered = true;
    keys[kC].checked = true;
    keys[kD].hovered = true;
    keys[kD].checked = true;
    const auto picture = Picture();
    const auto hover = Solid(Qt::green);
    const auto checked = Solid(Qt::blue);
    for (const qreal ratio : {1.0, 2.0}) {
      QImage image(QSize(100, 50) * ratio, QImage::Format_ARGB32_Premultiplied);
      image.setDevicePixelRatio(ratio);
      image.fill(Qt::black);
      QPainter painter(&image);
      const QRectF target(0, 0, 100, 50);
      PaintCoordButtons(painter, PictureMapping(target, QSizeF(100, 50)), target, keys,
                        {picture.get(), hover.get(), checked.get()});
      painter.end();
      // A's fill (opaque red) shows through the transparent picture where B does not cover it.
      QCOMPARE(test::PixelAt(image, 15, 15), QColor(Qt::red));
      // B is hovered: its part of the hover picture, exactly on its rectangle.
      QCOMPARE(test::PixelAt(image, 20, 10), QColor(Qt::green));
      QCOMPARE(test::PixelAt(image, 39, 29), QColor(Qt::green));
      QCOMPARE(test::PixelAt(image, 40, 15), QColor(Qt::black));
      QCOMPARE(test::PixelAt(image, 19, 29), QColor(Qt::red));
      QCOMPARE(test::PixelAt(image, 25, 30), QColor(Qt::black));
      // C is checked; its fill #FF0000 has alpha 0 and would not show.
      QCOMPARE(test::PixelAt(image, 50, 10), QColor(Qt::blue));
      QCOMPARE(test::PixelAt(image, 60, 15), QColor(Qt::black));
      // Hovered and checked: the checked look.
      QCOMPARE(test::PixelAt(image, 75, 15), QColor(Qt::blue));
      // E's fill is the default white; the opaque bar of the picture covers everything below.
      QCOMPARE(test::PixelAt(image, 90, 15), QColor(Qt::white));
      QCOMPARE(test::PixelAt(image, 50, 45), QColor(0x80, 0x80, 0x80));
      QCOMPARE(test::PixelAt(image, 5, 5), QColor(Qt::black));
    }
  }

  void aPictureStretchedOverTheControlScalesTheKeys() {
    const PictureMapping mapping(QRectF(0, 0, 200, 75), QSizeF(100, 50));
    QCOMPARE(mapping.ToTarget(QRect(10, 10, 20, 20)), QRectF(20, 15, 40, 30));
    QCOMPARE(mapping.ToPicture(QPointF(20, 15)), QPointF(10, 10));
    const PictureMapping unscaled(QRectF(0, 0, 200, 75), QSizeF());
    QCOMPARE(unscaled.ToTarget(QRect(10, 10, 20, 20)), QRectF(10, 10, 20, 20));
  }

  void theControlReadsItsKeysAndAttributesAtCreation() {
    CreateImage(QStringLiteral("keys.xml"));
    QCOMPARE(image_->GetButtons().size(), std::size_t{5});
    QCOMPARE(image_->GetSelectionType(), 2);
    QCOMPARE(image_->DesiredSize(), QSize(100, 50));
    QVERIFY(image_->IsClass("cbimg"));
    QVERIFY(image_->IsClass("window"));
    // A picture that does not load fails the attribute and keeps the old one.
    QCOMPARE(image_->SetAttribute("BG", QStringLiteral("main:no_such_png")),
             ui::AttributeResult::kFailed);
    QCOMPARE(image_->DesiredSize(), QSize(100, 50));
    QCOMPARE(image_->SetAttribute("type", QStringLiteral("one")), ui::AttributeResult::kFailed);
    QCOMPARE(image_->SetAttribute("type", QStringLiteral("0x1")), ui::AttributeResult::kHandled);
    QCOMPARE(image_->GetSelectionType(), 1);
    // Read once: a later file name changes nothing.
    image_->SetAttribute("crdxml", test::KeysSetting(QStringLiteral("no_ids.xml")));
    QCOMPARE(image_->GetButtons().size(), std::size_t{5});
    // Unknown attributes go to the basic window.
    QCOMPARE(image_->SetAttribute("name", QStringLiteral("img_keyboard")),
             ui::AttributeResult::kHandled);
    QCOMPARE(image_->GetID(), 65539);

    CreateImage(QStringLiteral("does_not_exist.xml"));
    QVERIFY(image_->GetButtons().empty());
  }

  void theMouseLightsKeysAndNamesTheLastOne() {
    CreateImage(QStringLiteral("keys.xml"));
    QTest::mouseMove(image_.get(), kOnAAndB.toPoint());
    QVERIFY(image_->GetButtons()[kA].hovered);
    QVERIFY(image_->GetButtons()[kB].hovered);
    QCOMPARE(image_->GetToolTipText(), QStringLiteral("B"));
    QHelpEvent help(QEvent::ToolTip, kOnAAndB.toPoint(), image_->mapToGlobal(kOnAAndB.toPoint()));
    QApplication::sendEvent(image_.get(), &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("B"));
    // The hover picture lands on the hovered keys.
    const QImage shown = test::Render(*image_);
    QCOMPARE(test::PixelAt(shown, 15, 15), QColor(Qt::green));
    QCOMPARE(test::PixelAt(shown, 55, 15), QColor(Qt::black));
    QTest::mouseMove(image_.get(), kOnNothing.toPoint());
    QCOMPARE(image_->GetToolTipText(), QString());
    QTRY_VERIFY(!QToolTip::isVisible());
    QTest::mouseMove(image_.get(), kOnC.toPoint());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(image_.get(), &leave);
    QVERIFY(!image_->GetButtons()[kC].hovered);
    QCOMPARE(image_->GetToolTipText(), QString());
  }

  void pressesAndReleasesGoToTheFirstKeyHit() {
    CreateImage(QStringLiteral("keys.xml"));
    RecordingListener listener;
    image_->SetClickListener(&listener);
    QTest::mousePress(image_.get(), Qt::LeftButton, Qt::ShiftModifier, kOnAAndB.toPoint());
    QTest::mouseRelease(image_.get(), Qt::LeftButton, Qt::ShiftModifier, kOnAAndB.toPoint());
    const std::vector<Click> both = {{4, "A", 0, kMkLButton | kMkShift, 25, 15},
                                     {4, "A", 1, kMkShift, 25, 15}};
    QCOMPARE(listener.clicks, both);
    // Selection type 2: the press checked A.
    QVERIFY(image_->IsButtonChecked(4));
    QVERIFY(!image_->GetButtons()[kA].pressed);

    // Press on A, release on B: no release, and A stays pressed.
    listener.clicks.clear();
    QTest::mousePress(image_.get(), Qt::LeftButton, {}, kOnAOnly.toPoint());
    QTest::mouseRelease(image_.get(), Qt::LeftButton, {}, kOnBOnly.toPoint());
    QCOMPARE(listener.clicks.size(), std::size_t{1});
    QVERIFY(image_->GetButtons()[kA].pressed);
    // A press on C and a release over A report A's release.
    QTest::mousePress(image_.get(), Qt::LeftButton, {}, kOnC.toPoint());
    QTest::mouseRelease(image_.get(), Qt::LeftButton, {}, kOnAOnly.toPoint());
    QCOMPARE(listener.clicks.size(), std::size_t{3});
    QCOMPARE(listener.clicks[2].name, QStringLiteral("A"));
    QCOMPARE(listener.clicks[2].event, 1);
    QVERIFY(!image_->GetButtons()[kA].pressed);
    QVERIFY(image_->GetButtons()[kC].pressed);

    // Outside every key, and other buttons: nothing.
    listener.clicks.clear();
    QTest::mouseClick(image_.get(), Qt::LeftButton, {}, kOnNothing.toPoint());
    QTest::mouseClick(image_.get(), Qt::RightButton, {}, kOnD.toPoint());
    QVERIFY(listener.clicks.empty());

    // A listener that takes the press keeps the selection as it is.
    listener.answer = true;
    const std::vector<CoordButton> before = image_->GetButtons();
    QTest::mousePress(image_.get(), Qt::LeftButton, {}, kOnD.toPoint());
    QCOMPARE(image_->GetButtons()[kD].checked, before[kD].checked);
    QVERIFY(image_->GetButtons()[kD].pressed);
    image_->SetClickListener(nullptr);
    QTest::mouseRelease(image_.get(), Qt::LeftButton, {}, kOnD.toPoint());
    QVERIFY(!image_->GetButtons()[kD].pressed);
  }

  // A screen reader reads the keys as the picture's children: named, described by what they do
  // (the tooltip the window gave, else "assigned" for a marked key), focused with the mark,
  // pressed as a click presses them.
  void theKeysAreThePicturesChildrenForAScreenReader() {
    CreateImage(QStringLiteral("keys.xml"));
    InstallCoordButtonImageAccessibility();
    QAccessibleInterface* picture = QAccessible::queryAccessibleInterface(image_.get());
    QCOMPARE(picture->childCount(), static_cast<int>(image_->ButtonCount()));
    QStringList names;
    for (int index = 0; index < picture->childCount(); ++index) {
      QCOMPARE(picture->indexOfChild(picture->child(index)), index);
      QCOMPARE(picture->child(index)->role(), QAccessible::PushButton);
      names.append(picture->child(index)->text(QAccessible::Name));
    }
    QCOMPARE(names, QStringList({"A", "B", "C", "D", "E"}));
    QCOMPARE(picture->childAt(image_->mapToGlobal(kOnBOnly.toPoint()).x(),
                              image_->mapToGlobal(kOnBOnly.toPoint()).y()),
             picture->child(static_cast<int>(kB)));

    image_->SetButtonChecked(5, true);
    image_->SetButtonChecked(7, true);
    image_->SetButtonTips({{7, QStringLiteral("E: Mute")}}, {});
    QCOMPARE(picture->child(static_cast<int>(kA))->text(QAccessible::Description), QString());
    QCOMPARE(picture->child(static_cast<int>(kB))->text(QAccessible::Description),
             QStringLiteral("assigned"));
    QCOMPARE(picture->child(4)->text(QAccessible::Description), QStringLiteral("E: Mute"));

    image_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(image_.get()));
    image_->setFocus(Qt::TabFocusReason);
    QTest::keyClick(image_.get(), Qt::Key_Right);
    QCOMPARE(picture->focusChild(), picture->child(static_cast<int>(kB)));
    QVERIFY(picture->child(static_cast<int>(kB))->state().focused);
    QVERIFY(!picture->child(static_cast<int>(kA))->state().focused);

    RecordingListener listener;
    image_->SetClickListener(&listener);
    QAccessibleActionInterface* press = picture->child(static_cast<int>(kC))->actionInterface();
    QCOMPARE(press->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    press->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(listener.clicks.size(), std::size_t{2});
    QCOMPARE(listener.clicks[0].name, QStringLiteral("C"));
    QCOMPARE(listener.clicks[0].event, 0);
    QCOMPARE(listener.clicks[1].event, 1);
    image_->SetClickListener(nullptr);
  }

  void aControlLargerThanItsPictureScalesKeysAndMouse() {
    CreateImage(QStringLiteral("keys.xml"));
    image_->resize(200, 100);
    RecordingListener listener;
    image_->SetClickListener(&listener);
    QCOMPARE(image_->PictureToControl(QRect(10, 10, 20, 20)), QRectF(20, 20, 40, 40));
    QTest::mouseClick(image_.get(), Qt::LeftButton, {}, QPoint(110, 30));
    QCOMPARE(listener.clicks.size(), std::size_t{2});
    QCOMPARE(listener.clicks[0].name, QStringLiteral("C"));
    QCOMPARE(listener.clicks[0].x, 110);
    QTest::mouseMove(image_.get(), QPoint(75, 30));
    const QImage shown = test::Render(*image_, 2.0);
    QCOMPARE(test::PixelAt(shown, 79, 59), QColor(Qt::green));
    QCOMPARE(test::PixelAt(shown, 80, 30), QColor(Qt::black));
  }

  void ownerOperationsRepaintTheControl() {
    CreateImage(QStringLiteral("keys.xml"));
    image_->SetButtonChecked(CoordButtonImage::kAllButtons, true);
    QCOMPARE(test::PixelAt(test::Render(*image_), 90, 15), QColor(Qt::blue));
    image_->ToggleButtonChecked(7);
    QCOMPARE(test::PixelAt(test::Render(*image_), 90, 15), QColor(Qt::white));
    image_->SetButtonColor(7, 0xFF00FF00);
    QCOMPARE(test::PixelAt(test::Render(*image_), 90, 15), QColor(Qt::green));
    QVERIFY(image_->HasButton(5));
    QVERIFY(!image_->IsButtonChecked(7));
  }

 private:
  // A keyboard picture over the fixture picture, 100 x 50, with selection type 2.
  void CreateImage(const QString& keysFile) {
    image_.reset();
    if (app_ == nullptr) {
      app_ = test::MakeApplication();
    }
    image_ = std::make_unique<CoordButtonImage>();
    QCOMPARE(image_->SetAttribute("bg", QStringLiteral("main:picture_png")),
             ui::AttributeResult::kHandled);
    QCOMPARE(image_->SetAttribute("chking", QStringLiteral("main:hover_png")),
             ui::AttributeResult::kHandled);
    QCOMPARE(image_->SetAttribute("chked", QStringLiteral("main:checked_png")),
             ui::AttributeResult::kHandled);
    QCOMPARE(image_->SetAttribute("crdxml", test::KeysSetting(keysFile)),
             ui::AttributeResult::kHandled);
    QCOMPARE(image_->SetAttribute("type", QStringLiteral("2")), ui::AttributeResult::kHandled);
    image_->OnCreate();
    image_->resize(100, 50);
    image_->show();
    QVERIFY(QTest::qWaitForWindowExposed(image_.get()));
    // The mouse starts away from the picture, so that every move in a test is one.
    QCursor::setPos(image_->mapToGlobal(QPoint(-100, -100)));
    QCoreApplication::processEvents();
  }

  std::unique_ptr<ui::SApplication> app_;
  std::unique_ptr<CoordButtonImage> image_;
};

}  // namespace keyloom::controls

QTEST_MAIN(keyloom::controls::CoordButtonTest)
#include "CoordButtonTest.moc"

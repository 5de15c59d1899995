#include <QImage>
#include <QPainter>
#include <QTest>
#include <memory>

#include <pugixml.hpp>

#include "UiTestSupport.h"
#include "ui/host/SApplication.h"
#include "ui/skin/ColorRectSkin.h"
#include "ui/skin/ISkinObj.h"
#include "ui/skin/Image.h"
#include "ui/skin/ImageFrameSkin.h"
#include "ui/skin/SkinPool.h"
#include "ui/widgets/WindowState.h"

namespace keyloom::ui {
namespace {

constexpr QRgb kUntouched = 0x00000000;

// A transparent image of `size` logical pixels at `ratio` device pixels per logical pixel.
QImage Canvas(const QSize& size, qreal ratio = 1.0) {
  QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::transparent);
  return image;
}

QImage Drawn(const ISkinObj& skin, const QSize& canvas, const QRect& rect, int state,
             qreal ratio = 1.0) {
  QImage image = Canvas(canvas, ratio);
  QPainter painter(&image);
  skin.Draw(painter, rect, state);
  painter.end();
  return image;
}

}  // namespace

class SkinTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { app_ = test::MakeApplication(); }
  void cleanup() { app_.reset(); }

  void imageListsCountTheirFrames() {
    const auto states = app_->GetSkin(QStringLiteral("skin_states"));
    QVERIFY(states != nullptr);
    QCOMPARE(states->StateCount(), 4);
    QCOMPARE(states->NaturalSize(), QSize(10, 10));
    const auto stacked = app_->GetSkin(QStringLiteral("skin_stacked"));
    QCOMPARE(stacked->StateCount(), 2);
    QCOMPARE(stacked->NaturalSize(), QSize(8, 8));
    const auto raster = app_->GetSkin(QStringLiteral("skin_raster"));
    QCOMPARE(raster->StateCount(), 2);
    QCOMPARE(raster->NaturalSize(), QSize(2, 2));
    QCOMPARE(app_->GetSkin(QStringLiteral("skin_stripe"))->StateCount(), 1);
  }

  void aFrameLandsInItsRectangle() {
    const auto skin = app_->GetSkin(QStringLiteral("skin_states"));
    const QImage image = Drawn(*skin, QSize(30, 30), QRect(10, 10, 10, 10), 2);
    QCOMPARE(image.pixel(15, 15), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(10, 10), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(19, 19), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(5, 5), kUntouched);
    QCOMPARE(image.pixel(20, 15), kUntouched);
    QCOMPARE(image.pixel(15, 25), kUntouched);
  }

  void aFrameStretchesToItsRectangle() {
    const auto skin = app_->GetSkin(QStringLiteral("skin_states"));
    const QImage image = Drawn(*skin, QSize(30, 20), QRect(0, 0, 30, 20), 1);
    QCOMPARE(image.pixel(0, 0), qRgb(0, 255, 0));
    QCOMPARE(image.pixel(29, 19), qRgb(0, 255, 0));
    QCOMPARE(image.pixel(15, 10), qRgb(0, 255, 0));
  }

  void aStateOutsideTheFramesDrawsTheFirst() {
    const auto skin = app_->GetSkin(QStringLiteral("skin_states"));
    QCOMPARE(Drawn(*skin, QSize(10, 10), QRect(0, 0, 10, 10), 4).pixel(5, 5), qRgb(255, 0, 0));
    QCOMPARE(Drawn(*skin, QSize(10, 10), QRect(0, 0, 10, 10), -1).pixel(5, 5), qRgb(255, 0, 0));
  }

  void stackedAndRasterFrames() {
    const auto stacked = app_->GetSkin(QStringLiteral("skin_stacked"));
    QCOMPARE(Drawn(*stacked, QSize(8, 8), QRect(0, 0, 8, 8), 1).pixel(4, 4), qRgb(0, 255, 255));
    QCOMPARE(Drawn(*stacked, QSize(8, 8), QRect(0, 0, 8, 8), 0).pixel(4, 4), qRgb(255, 255, 0));
    const auto raster = app_->GetSkin(QStringLiteral("skin_raster"));
    QCOMPARE(Drawn(*raster, QSize(4, 4), QRect(0, 0, 4, 4), 1).pixel(2, 2), qRgb(0, 0, 255));
    QCOMPARE(Drawn(*raster, QSize(4, 4), QRect(0, 0, 4, 4), 0).pixel(2, 2), qRgb(255, 0, 0));
  }

  void vectorFramesStayCrispAtTwiceTheScale() {
    // A one-pixel black stripe at x = 5 of a white picture covers exactly device pixels 10 and 11
    // at 200 %; a picture rendered at 100 % and magnified would blur its edges.
    const auto stripe = app_->GetSkin(QStringLiteral("skin_stripe"));
    const QImage image = Drawn(*stripe, QSize(10, 10), QRect(0, 0, 10, 10), 0, 2.0);
    QCOMPARE(image.size(), QSize(20, 20));
    QCOMPARE(image.pixel(9, 10), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(10, 10), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(11, 10), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(12, 10), qRgb(255, 255, 255));
    // No colour of the neighbouring frames bleeds into a frame's edges.
    const auto states = app_->GetSkin(QStringLiteral("skin_states"));
    const QImage frame = Drawn(*states, QSize(10, 10), QRect(0, 0, 10, 10), 1, 2.0);
    QCOMPARE(frame.pixel(0, 10), qRgb(0, 255, 0));
    QCOMPARE(frame.pixel(19, 10), qRgb(0, 255, 0));
  }

  void nineSliceKeepsTheMargins() {
    const auto slices = ImageFrameSkin::Slices(QRectF(0, 0, 30, 30), QRectF(0, 0, 100, 50),
                                               QMargins(10, 10, 10, 10));
    QCOMPARE(slices[0].first, QRectF(0, 0, 10, 10));
    QCOMPARE(slices[0].second, QRectF(0, 0, 10, 10));
    QCOMPARE(slices[4].first, QRectF(10, 10, 10, 10));
    QCOMPARE(slices[4].second, QRectF(10, 10, 80, 30));
    QCOMPARE(slices[8].second, QRectF(90, 40, 10, 10));
    QCOMPARE(slices[5].second, QRectF(90, 10, 10, 30));
    // Margins wider than the target shrink, so that the corners meet but do not overlap.
    const auto small = ImageFrameSkin::Slices(QRectF(0, 0, 30, 30), QRectF(0, 0, 10, 10),
                                              QMargins(10, 10, 10, 10));
    QCOMPARE(small[0].second, QRectF(0, 0, 5, 5));
    QCOMPARE(small[8].second, QRectF(5, 5, 5, 5));
    QVERIFY(small[4].second.isEmpty());

    const auto frame = app_->GetSkin(QStringLiteral("skin_frame"));
    const QImage image = Drawn(*frame, QSize(100, 60), QRect(0, 0, 100, 60), 0);
    QCOMPARE(image.pixel(9, 30), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(10, 30), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(89, 30), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(90, 30), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(50, 9), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(50, 10), qRgb(255, 0, 0));
  }

  void colourRectanglesFollowTheState() {
    const auto skin =
        std::dynamic_pointer_cast<const ColorRectSkin>(app_->GetSkin(QStringLiteral("skin_rect")));
    QVERIFY(skin != nullptr);
    QCOMPARE(skin->StateCount(), 8);
    QCOMPARE(skin->ColorOf(0), QColor(0, 0, 0x10));
    QCOMPARE(skin->ColorOf(1), QColor(0, 0, 0x20));
    QCOMPARE(skin->ColorOf(2), QColor(0, 0, 0x30));
    QCOMPARE(skin->ColorOf(3), QColor(0, 0, 0x10));
    QCOMPARE(skin->ColorOf(5), QColor(0xff, 0x3d, 0x6e));
    QCOMPARE(skin->ColorOf(9), QColor(0, 0, 0x10));
    QCOMPARE(Drawn(*skin, QSize(10, 10), QRect(0, 0, 10, 10), 6).pixel(5, 5),
             qRgb(0xff, 0x3d, 0x6e));
    QCOMPARE(app_->GetSkin(QStringLiteral("skin_plain_rect"))->StateCount(), 4);
    QCOMPARE(skin->NaturalSize(), QSize());
  }

  void gradientsRunFromOneColourToTheOther() {
    const auto skin = app_->GetSkin(QStringLiteral("skin_gradient"));
    const QImage image = Drawn(*skin, QSize(100, 4), QRect(0, 0, 100, 4), 0);
    QVERIFY(qRed(image.pixel(0, 2)) < 8);
    QVERIFY(qRed(image.pixel(99, 2)) > 247);
    QVERIFY(qAbs(qRed(image.pixel(50, 2)) - 128) < 8);
  }

  void skinsAreMadeWhenFirstAskedFor() {
    pugi::xml_document document;
    QVERIFY(document.load_string(R"(<skin>
        <imglist name="picture" src="present" states="2"/>
        <imglist name="twice" src="absent"/>
        <colorrect name="twice" normal="@color/ink"/>
        <imglist name="never" src="absent"/>
      </skin>)"));
    int loads = 0;
    const ImageLoader images = [&loads](const QString& name) -> std::shared_ptr<const Image> {
      ++loads;
      QImage picture(4, 2, QImage::Format_ARGB32_Premultiplied);
      picture.fill(Qt::red);
      return name == QLatin1String("present") ? Image::FromImage(picture) : nullptr;
    };
    SkinPool pool;
    pool.Load(document.document_element(), images, [](const QString& value) {
      return value == QLatin1String("@color/ink") ? QStringLiteral("#102030") : value;
    });
    QCOMPARE(loads, 0);

    const std::shared_ptr<const ISkinObj> picture = pool.Get(QStringLiteral("picture"));
    QVERIFY(picture != nullptr);
    QCOMPARE(picture->StateCount(), 2);
    QCOMPARE(pool.Get(QStringLiteral("picture")), picture);
    QCOMPARE(loads, 1);
    // The first of two with one name that can be made, its colour resolved when it was loaded.
    const auto twice =
        std::dynamic_pointer_cast<const ColorRectSkin>(pool.Get(QStringLiteral("twice")));
    QVERIFY(twice != nullptr);
    QCOMPARE(twice->ColorOf(0), QColor(0x10, 0x20, 0x30));
    QVERIFY(pool.Get(QStringLiteral("never")) == nullptr);
    QVERIFY(pool.Get(QStringLiteral("never")) == nullptr);
    QCOMPARE(loads, 3);
  }

  void skinsThatCannotBeMadeAreLeftOut() {
    QVERIFY(app_->GetSkin(QStringLiteral("skin_missing_image")) == nullptr);
    QVERIFY(app_->GetSkin(QStringLiteral("skin_broken_image")) == nullptr);
    QVERIFY(app_->GetSkin(QStringLiteral("skin_unknown_kind")) == nullptr);
    QVERIFY(app_->GetSkin(QStringLiteral("skin_bad_colour")) == nullptr);
    QVERIFY(SApplication::SkinAttribute(QString()).has_value());
    QVERIFY(*SApplication::SkinAttribute(QString()) == nullptr);
    QVERIFY(!SApplication::SkinAttribute(QStringLiteral("no_such_skin")).has_value());
  }

  void imagesDecodeOnceAndMakeIcons() {
    const auto logo = app_->GetImage(QStringLiteral("ICON:icon_logo"));
    QVERIFY(logo != nullptr);
    QVERIFY(logo->IsVector());
    QCOMPARE(logo->Size(), QSize(32, 32));
    QVERIFY(app_->GetImage(QStringLiteral("icon:ICON_LOGO")) == logo);
    QVERIFY(!logo->ToIcon().availableSizes().isEmpty());
    QCOMPARE(logo->Render(QSize(64, 64)).size(), QSize(64, 64));
    QVERIFY(app_->GetImage(QStringLiteral("main:broken_png")) == nullptr);
    QVERIFY(app_->GetImage(QStringLiteral("main:nothing")) == nullptr);
    QVERIFY(Image::Decode(QByteArray("not a picture")) == nullptr);
    const auto raster = app_->GetImage(QStringLiteral("main:raster_png"));
    QVERIFY(raster != nullptr && !raster->IsVector());
  }

  void stateIndexes_data() {
    QTest::addColumn<unsigned>("state");
    QTest::addColumn<int>("four");
    QTest::addColumn<int>("eight");
    QTest::newRow("normal") << unsigned{kStateNormal} << 0 << 0;
    QTest::newRow("hover") << unsigned{kStateHover} << 1 << 1;
    QTest::newRow("pushed over hover") << unsigned{kStateHover | kStatePushed} << 2 << 2;
    QTest::newRow("disabled over pushed") << unsigned{kStatePushed | kStateDisabled} << 3 << 3;
    QTest::newRow("checked") << unsigned{kStateChecked} << 0 << 4;
    QTest::newRow("checked hover") << unsigned{kStateChecked | kStateHover} << 1 << 5;
    QTest::newRow("checked disabled") << unsigned{kStateChecked | kStateDisabled} << 3 << 7;
  }
  void stateIndexes() {
    QFETCH(unsigned, state);
    QFETCH(int, four);
    QFETCH(int, eight);
    QCOMPARE(StateIndex4(state), four);
    QCOMPARE(StateIndex8(state), eight);
  }

 private:
  std::unique_ptr<SApplication> app_;
};

}  // namespace keyloom::ui

QTEST_MAIN(keyloom::ui::SkinTest)
#include "SkinTest.moc"

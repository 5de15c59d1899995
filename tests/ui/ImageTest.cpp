// The skin's pictures drawn from the rasters made ahead of time. Built twice: with the program's
// SVG renderer, and as a build without Qt Svg draws them (rasters alone).
#include <QColor>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "ui/skin/Image.h"
#include "ui/skin/PictureCache.h"
#include "ui/skin/Prerendered.h"
#include "ui/skin/VectorPicture.h"

namespace keyloom::ui {
namespace {

// A 10 x 8 picture, all blue; the rasters written beside it are red (1x) and green (2x), so that
// a drawing tells where it came from.
constexpr char kBlueSvg[] = R"(<svg xmlns="http://www.w3.org/2000/svg" width="10" height="8">)"
                            R"(<rect width="10" height="8" fill="#0000ff"/></svg>)";

// 200 x 100, large enough for the cache.
constexpr char kWideSvg[] = R"(<svg xmlns="http://www.w3.org/2000/svg" width="200" height="100">)"
                            R"(<rect width="200" height="100" fill="#0000ff"/></svg>)";

QString ColourName(const std::shared_ptr<const Image>& image, qreal scale) {
  if (image == nullptr) {
    return QStringLiteral("nothing");
  }
  QImage drawn(image->Size() * scale, QImage::Format_ARGB32_Premultiplied);
  drawn.fill(Qt::transparent);
  QPainter painter(&drawn);
  image->Draw(painter, QRectF(drawn.rect()), QRectF(QPointF(0, 0), QSizeF(image->Size())));
  painter.end();
  const QRgb centre = drawn.pixel(drawn.width() / 2, drawn.height() / 2);
  if (qAlpha(centre) == 0) {
    return QStringLiteral("transparent");
  }
  if (qRed(centre) > 200 && qGreen(centre) > 200 && qBlue(centre) > 200) {
    return QStringLiteral("white");
  }
  return qRed(centre) > 200     ? QStringLiteral("red")
         : qGreen(centre) > 200 ? QStringLiteral("green")
         : qBlue(centre) > 200  ? QStringLiteral("blue")
                                : QStringLiteral("other");
}

// The path of the file `name` in `dir`, written with `bytes`.
QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
  const QString path = dir.filePath(name);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
    qFatal("cannot write %s", qPrintable(path));
  }
  return path;
}

void WriteRaster(const QString& path, const QSize& size, const QColor& colour,
                 const QString& stamp) {
  QImage raster(size, QImage::Format_ARGB32_Premultiplied);
  raster.fill(colour);
  raster.setText(QStringLiteral("Keyloom-Source"), stamp);
  QVERIFY(raster.save(path, "png"));
}

}  // namespace

class ImageTest : public QObject {
  Q_OBJECT

 private slots:
  void picturesAreSmoothedOnlyWhereResampled() {
    // A black and a white column: copied, they stay black and white; smoothed, greys come between.
    QImage stripes(2, 4, QImage::Format_ARGB32_Premultiplied);
    stripes.fill(Qt::white);
    stripes.setPixel(0, 0, qRgb(0, 0, 0));
    const std::shared_ptr<const Image> image = Image::FromImage(stripes);
    const auto greysAt = [&image, &stripes](const QRectF& target) {
      QImage drawn(16, 16, QImage::Format_ARGB32_Premultiplied);
      drawn.fill(Qt::transparent);
      QPainter painter(&drawn);
      image->Draw(painter, target, QRectF(stripes.rect()));
      painter.end();
      const auto* pixels = reinterpret_cast<const QRgb*>(drawn.constBits());
      return std::any_of(pixels, pixels + drawn.width() * drawn.height(), [](QRgb pixel) {
        return qAlpha(pixel) == 255 && qRed(pixel) > 0 && qRed(pixel) < 255;
      });
    };
    QVERIFY(!greysAt(QRectF(3.5, 2, 2, 4)));
    QVERIFY(greysAt(QRectF(3, 2, 4, 8)));
  }

  void svgPicturesDrawFromTheRastersMadeFromThem_data() {
    QTest::addColumn<QString>("rasters");
    QTest::addColumn<int>("count");
    // The colour drawn at 1x, 2x and 1.5x with an SVG renderer, then without one.
    QTest::addColumn<QStringList>("withSvg");
    QTest::addColumn<QStringList>("rastersOnly");
    const QStringList blue{"blue", "blue", "blue"};
    const QStringList nothing{"nothing", "nothing", "nothing"};
    QTest::newRow("both") << "both" << 2 << QStringList{"red", "green", "blue"}
                          << QStringList{"red", "green", "green"};
    QTest::newRow("made from another picture")
        << "stale" << 0 << blue << QStringList{"transparent", "transparent", "transparent"};
    QTest::newRow("2x of the wrong size")
        << "bad 2x" << 1 << QStringList{"red", "blue", "blue"} << QStringList{"red", "red", "red"};
    QTest::newRow("none") << "none" << 0 << blue << nothing;
  }
  void svgPicturesDrawFromTheRastersMadeFromThem() {
    QFETCH(QString, rasters);
    QFETCH(int, count);
    QFETCH(QStringList, withSvg);
    QFETCH(QStringList, rastersOnly);
    QTemporaryDir dir;
    const QByteArray svg(kBlueSvg);
    const QString svgPath = WriteFile(dir, QStringLiteral("blue.svg"), svg);
    const QString stamp = SourceStamp(rasters == "stale" ? svg + ' ' : svg);
    if (rasters != "none") {
      WriteRaster(PrerenderedPath(svgPath, 1), QSize(10, 8), Qt::red, stamp);
      WriteRaster(PrerenderedPath(svgPath, 2), rasters == "bad 2x" ? QSize(20, 20) : QSize(20, 16),
                  Qt::green, stamp);
    }

    const std::shared_ptr<const Image> image = Image::Decode(svg, svgPath);
    const bool drawsSvg = VectorPicture::Parse(svg) != nullptr;
    const QStringList& expected = drawsSvg ? withSvg : rastersOnly;
    QCOMPARE(QStringList({ColourName(image, 1.0), ColourName(image, 2.0), ColourName(image, 1.5)}),
             expected);
    if (image != nullptr) {
      QCOMPARE(image->PrerenderedCount(), count);
      QCOMPARE(image->Size(), QSize(10, 8));
      QVERIFY(image->IsVector());
    }
  }

  void svgDocumentsDeclareTheirSizeOnTheirRoot_data() {
    QTest::addColumn<QByteArray>("svg");
    QTest::addColumn<QSize>("size");
    const QByteArray root = R"(<svg xmlns="http://www.w3.org/2000/svg" width="30px" height="20">)";
    const QByteArray body = "<rect width=\"30\" height=\"20\"/></svg>";
    QTest::newRow("px and no unit") << root + body << QSize(30, 20);
    QTest::newRow("after a long comment")
        << "<?xml version=\"1.0\"?><!--" + QByteArray(3000, '-').replace("--", "- ") + "-->" +
               root + body
        << QSize(30, 20);
    QTest::newRow("after a comment longer than the head")
        << "<!--" + QByteArray(5000, 'c') + "-->" + root + body << QSize(30, 20);
    QTest::newRow("a large document") << root + QByteArray(100000, ' ') + body << QSize(30, 20);
    QTest::newRow("another root") << QByteArray(R"(<html width="30" height="20"/>)") << QSize();
    QTest::newRow("no height") << QByteArray(R"(<svg width="30"/>)") << QSize();
    QTest::newRow("percent") << QByteArray(R"(<svg width="100%" height="20"/>)") << QSize();
    QTest::newRow("cut short") << QByteArray(R"(<svg width="30" hei)") << QSize();
    QTest::newRow("not XML") << QByteArray("\x89PNG\r\n") << QSize();
    QTest::newRow("empty") << QByteArray() << QSize();
  }
  void svgDocumentsDeclareTheirSizeOnTheirRoot() {
    QFETCH(QByteArray, svg);
    QFETCH(QSize, size);
    QCOMPARE(DeclaredSize(svg).value_or(QSize()), size);
  }

  // A large picture decoded once starts the next run from the cache: an entry whose pixels were
  // changed shows the change, one cut short is decoded and written again, and translucency
  // survives (an opaque picture is kept without it, in three bytes a pixel).
  void largePicturesAreDecodedOnceIntoTheCache_data() {
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("bytesPerPixel");
    QTest::newRow("opaque") << QColor(Qt::red) << 3;
    QTest::newRow("translucent") << QColor(255, 0, 0, 230) << 4;
  }
  void largePicturesAreDecodedOnceIntoTheCache() {
    QFETCH(QColor, colour);
    QFETCH(int, bytesPerPixel);
    QTemporaryDir dir;
    const QByteArray svg(kWideSvg);
    const QString svgPath = WriteFile(dir, QStringLiteral("wide.svg"), svg);
    WriteRaster(PrerenderedPath(svgPath, 1), QSize(200, 100), colour, SourceStamp(svg));
    const QDir cache(dir.filePath(QStringLiteral("cache")));
    PictureCache::SetFolder(cache.path());
    const auto entries = [&cache] {
      return cache.entryInfoList({QStringLiteral("*.argb")}, QDir::Files);
    };
    const qint64 pixelBytes = qint64{200} * 100 * bytesPerPixel;

    QCOMPARE(ColourName(Image::Decode(svg, svgPath), 1.0), QStringLiteral("red"));
    QCOMPARE(entries().size(), 1);
    QCOMPARE(entries().constFirst().size(), 16 + pixelBytes);
    const std::shared_ptr<const Image> cached = Image::Decode(svg, svgPath);
    QImage drawn(cached->Size(), QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    cached->Draw(painter, QRectF(drawn.rect()), QRectF(drawn.rect()));
    painter.end();
    QCOMPARE(qAlpha(drawn.pixel(100, 50)), colour.alpha());

    QFile entry(entries().constFirst().filePath());
    QVERIFY(entry.open(QIODevice::ReadWrite));
    QVERIFY(entry.seek(16));
    QVERIFY(entry.write(QByteArray(pixelBytes, '\xff')) == pixelBytes);
    entry.close();
    QCOMPARE(ColourName(Image::Decode(svg, svgPath), 1.0), QStringLiteral("white"));
    QVERIFY(entry.resize(1000));
    QCOMPARE(ColourName(Image::Decode(svg, svgPath), 1.0), QStringLiteral("red"));
    QCOMPARE(entries().constFirst().size(), 16 + pixelBytes);
    PictureCache::SetFolder(QString());
  }

  // Entries are named after their PNG's size and time as QFileInfo gives them, as they always
  // were; a full folder lets its oldest entries go.
  void cacheEntriesKeepTheirNamesAndTheNewest() {
    QTemporaryDir dir;
    const QDir cache(dir.filePath(QStringLiteral("cache")));
    QVERIFY(cache.mkpath(QStringLiteral(".")));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < PictureCache::kKeptEntries; ++i) {  // "old-0" the newest
      QFile entry(cache.filePath(QStringLiteral("old-%1.argb").arg(i)));
      QVERIFY(entry.open(QIODevice::WriteOnly));
      QVERIFY(entry.setFileTime(now.addSecs(-60 * (i + 1)), QFileDevice::FileModificationTime));
    }
    const QByteArray svg(kWideSvg);
    const QString svgPath = WriteFile(dir, QStringLiteral("wide.svg"), svg);
    const QString png = PrerenderedPath(svgPath, 1);
    WriteRaster(png, QSize(200, 100), Qt::red, SourceStamp(svg));
    PictureCache::SetFolder(cache.path());
    QCOMPARE(ColourName(Image::Decode(svg, svgPath), 1.0), QStringLiteral("red"));
    PictureCache::SetFolder(QString());

    const QStringList kept = cache.entryList({QStringLiteral("*.argb")}, QDir::Files);
    QCOMPARE(kept.size(), PictureCache::kKeptEntries);
    QVERIFY(kept.contains(QStringLiteral("%1-200x100-%2-%3.argb")
                              .arg(SourceStamp(svg))
                              .arg(QFileInfo(png).size())
                              .arg(QFileInfo(png).lastModified().toMSecsSinceEpoch())));
    QVERIFY(!kept.contains(QStringLiteral("old-%1.argb").arg(PictureCache::kKeptEntries - 1)));
    QVERIFY(kept.contains(QStringLiteral("old-%1.argb").arg(PictureCache::kKeptEntries - 2)));
    QVERIFY(!ReadFileStamp(dir.filePath(QStringLiteral("missing.png"))));
  }

  // The build's list of the skin's pictures stands for an SVG only while the file is as listed.
  void theRasterListHoldsWhileTheSvgIsAsListed_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("holds");
    QTest::newRow("as built") << "none" << true;
    QTest::newRow("not listed") << "unlisted" << false;
    QTest::newRow("bytes added, time kept") << "grown" << false;
    QTest::newRow("same bytes, edited after the list") << "newer" << false;
    QTest::newRow("a line that does not read") << "broken" << false;
  }
  void theRasterListHoldsWhileTheSvgIsAsListed() {
    QFETCH(QString, change);
    QFETCH(bool, holds);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("image")));
    const QByteArray svg(kBlueSvg);
    const QString svgPath = WriteFile(dir, QStringLiteral("image/blue.svg"), svg);
    const QByteArray line = RasterIndex::Line(QStringLiteral("image/blue.svg"), svg);
    const QString listPath =
        WriteFile(dir, QString::fromLatin1(kRasterIndexName),
                  change == "broken" ? QByteArray("x 10 8 stamp image/blue.svg\n") : line);
    QFile file(svgPath);
    const QDateTime listed = QFileInfo(listPath).lastModified();
    if (change == "grown" || change == "newer") {
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(change == "grown" ? svg + ' ' : QByteArray(svg).replace("0000ff", "00ff00"));
      QVERIFY(file.flush());
      QVERIFY(file.setFileTime(change == "grown" ? listed.addSecs(-60) : listed.addSecs(60),
                               QFileDevice::FileModificationTime));
      file.close();
    }
    const QString asked =
        change == "unlisted" ? QStringLiteral("image/red.svg") : QStringLiteral("image/blue.svg");
    const std::optional<PictureFacts> facts = RasterIndex::Read(dir.path()).Find(asked);
    QCOMPARE(facts.has_value(), holds);
    if (facts) {
      QCOMPARE(facts->declared, QSize(10, 8));
      QCOMPARE(facts->stamp, SourceStamp(svg));
    }
  }

  // A picture known from the list is drawn from its rasters unread, as long as they were made
  // from the SVG the list names; it is nothing without rasters.
  void picturesKnownAheadDrawFromTheirRasters_data() {
    QTest::addColumn<QString>("rasters");
    QTest::addColumn<QString>("withSvg");
    QTest::addColumn<QString>("rastersOnly");
    QTest::newRow("made from it") << "made from it"
                                  << "red"
                                  << "red";
    QTest::newRow("made from another") << "stale"
                                       << "blue"
                                       << "transparent";
    QTest::newRow("none") << "none"
                          << "nothing"
                          << "nothing";
  }
  void picturesKnownAheadDrawFromTheirRasters() {
    QFETCH(QString, rasters);
    QFETCH(QString, withSvg);
    QFETCH(QString, rastersOnly);
    QTemporaryDir dir;
    const QByteArray svg(kBlueSvg);
    const QString svgPath = WriteFile(dir, QStringLiteral("blue.svg"), svg);
    if (rasters != "none") {
      const QString stamp = rasters == "stale" ? SourceStamp("<svg/>") : SourceStamp(svg);
      WriteRaster(PrerenderedPath(svgPath, 1), QSize(10, 8), Qt::red, stamp);
    }
    const std::shared_ptr<const Image> image =
        Image::FromRasters(svgPath, PictureFacts{QSize(10, 8), SourceStamp(svg)});
    QCOMPARE(ColourName(image, 1.0), VectorPicture::Parse(svg) != nullptr ? withSvg : rastersOnly);
  }

  void everyPictureOfTheBuiltSkinHasItsRasters() {
    const QDir source(QStringLiteral(KEYLOOM_SOURCE_SKIN_DIR));
    const QDir built(QStringLiteral(KEYLOOM_BIN_DIR "/uires"));
    const RasterIndex list = RasterIndex::Read(built.path());
    QDirIterator pictures(source.path(), {QStringLiteral("*.svg")}, QDir::Files,
                          QDirIterator::Subdirectories);
    int checked = 0;
    while (pictures.hasNext()) {
      const QString path = built.filePath(source.relativeFilePath(pictures.next()));
      QFile file(path);
      QVERIFY(file.open(QIODevice::ReadOnly));
      const QByteArray svg = file.readAll();
      const std::shared_ptr<const Image> image = Image::Decode(svg, path);
      QVERIFY2(image != nullptr && image->PrerenderedCount() == 2, qPrintable(path));
      const std::optional<PictureFacts> facts = list.Find(built.relativeFilePath(path));
      QVERIFY2(facts && facts->declared == DeclaredSize(svg) && facts->stamp == SourceStamp(svg),
               qPrintable(path));
      ++checked;
    }
    QVERIFY(checked > 0);
  }
};

}  // namespace keyloom::ui

QTEST_GUILESS_MAIN(keyloom::ui::ImageTest)
#include "ImageTest.moc"

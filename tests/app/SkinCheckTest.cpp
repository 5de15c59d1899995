#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

#include "SkinCheck.h"

namespace keyloom::app::test {
namespace {

// The skin as the build puts it beside the program.
const QString kSkinFolder = QStringLiteral(KEYLOOM_BIN_DIR "/uires");

SkinCheckInput InputFor(const QString& skinFolder) {
  return {skinFolder, QStringLiteral(KEYLOOM_SOURCE_DIR "/skin/manifest.txt"),
          QStringLiteral(KEYLOOM_SOURCE_DIR)};
}

QString Joined(const std::vector<QString>& problems) {
  QStringList lines;
  for (const QString& problem : problems) {
    lines.append(problem);
  }
  return lines.join(QLatin1Char('\n'));
}

bool CopyFolder(const QString& from, const QString& to) {
  QDirIterator files(from, QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString source = files.next();
    const QString target = to + source.mid(from.size());
    if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(source, target)) {
      return false;
    }
  }
  return true;
}

// Replaces the first `before` in the file by `after`; false when the file does not hold it.
bool Edit(const QString& file, const QString& before, const QString& after) {
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly)) {
    return false;
  }
  QString text = QString::fromUtf8(in.readAll());
  in.close();
  const qsizetype at = text.indexOf(before);
  if (at < 0) {
    return false;
  }
  text.replace(at, before.size(), after);
  QFile out(file);
  return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(text.toUtf8()) >= 0;
}

class SkinCheckTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void theProgramsSkinPasses() {
    const std::vector<QString> problems = CheckSkin(InputFor(kSkinFolder));
    QVERIFY2(problems.empty(), qPrintable(Joined(problems)));
  }

  // Each row breaks one thing in a copy of the skin; the check must name it.
  void brokenSkinIsCaught_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("problem");

    QTest::newRow("resource left out of the index")
        << QStringLiteral("uires.idx")
        << QStringLiteral("<file name=\"state_add_png\" path=\"image/state_add.svg\"/>")
        << QString() << QStringLiteral("resource main:state_add_png is not in uires.idx");
    QTest::newRow("image file missing")
        << QStringLiteral("image/state_ok.svg") << QString() << QString()
        << QStringLiteral("resource main:state_ok_png: its file");
    QTest::newRow("image that does not load")
        << QStringLiteral("image/more_menu.svg") << QStringLiteral("<svg")
        << QStringLiteral("<broken") << QStringLiteral("resource main:more_menu_png: the image");
    QTest::newRow("control missing")
        << QStringLiteral("layout/ledmode.xml") << QStringLiteral("name=\"bar_speed\"")
        << QStringLiteral("name=\"bar_speed_slider\"")
        << QStringLiteral("LAYOUT:XML_MAINWND: no control [bar_speed] in bar_speed_parent");
    QTest::newRow("control of another class")
        << QStringLiteral("layout/main.xml") << QStringLiteral("<cbimg name=\"img_keyboard\"")
        << QStringLiteral("<img name=\"img_keyboard\"")
        << QStringLiteral("the program finds no cbimg named [img_keyboard]");
    QTest::newRow("tray icon without its id")
        << QStringLiteral("layout/main.xml") << QStringLiteral("id=\"110\"")
        << QStringLiteral("id=\"111\"")
        << QStringLiteral("the program finds no shellnotifyicon with id 110");
    QTest::newRow("id that the name table does not give")
        << QStringLiteral("layout/main.xml") << QStringLiteral("name=\"cmb_profile\"")
        << QStringLiteral("name=\"cmb_profile\" id=\"42\"")
        << QStringLiteral("[cmb_profile] has id 42; the name table gives it 65542");
    QTest::newRow("tag without control")
        << QStringLiteral("layout/main.xml") << QStringLiteral("<shellnotifyicon ")
        << QStringLiteral("<shellnotifyicn ")
        << QStringLiteral("Layout tag [shellnotifyicn] has no control");
    QTest::newRow("program text without translation")
        << QStringLiteral("translation/lang_cn.xml") << QStringLiteral("<item src=\"Connected\"")
        << QStringLiteral("<item src=\"Konnected\"")
        << QStringLiteral("lang_cn has no translation of [Connected]");
    QTest::newRow("layout text without translation")
        << QStringLiteral("layout/main.xml") << QStringLiteral(">Restore factory settings<")
        << QStringLiteral(">Restore the factory settings<")
        << QStringLiteral("no translation of [Restore the factory settings]");
    QTest::newRow("translations that differ")
        << QStringLiteral("translation/lang_en.xml") << QStringLiteral("<item ")
        << QStringLiteral("<item src=\"Only English\" dst=\"Only English\"/><item ")
        << QStringLiteral("lang_cn lacks [Only English]");
  }

  void brokenSkinIsCaught() {
    QFETCH(QString, file);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, problem);
    QTemporaryDir copy;
    QVERIFY(copy.isValid());
    QVERIFY(CopyFolder(kSkinFolder, copy.path()));
    const QString path = copy.filePath(file);
    if (before.isEmpty()) {
      QVERIFY(QFile::remove(path));
    } else {
      QVERIFY2(Edit(path, before, after), qPrintable(path));
    }

    const std::vector<QString> problems = CheckSkin(InputFor(copy.path()));

    bool named = false;
    for (const QString& line : problems) {
      named = named || line.contains(problem);
    }
    QVERIFY2(named, qPrintable(Joined(problems)));
  }
};

}  // namespace
}  // namespace keyloom::app::test

QTEST_MAIN(keyloom::app::test::SkinCheckTest)
#include "SkinCheckTest.moc"

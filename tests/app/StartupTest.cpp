#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>

namespace {

const QString kKeyloom = QStringLiteral(KEYLOOM_BIN_DIR "/keyloom");

// Generous: the debug and sanitizer builds start slowly on a busy machine.
constexpr int kStartTimeoutMs = 60000;

// What a finished run of keyloom left.
struct Finished {
  bool finished = false;
  int exitCode = -1;
  QString out;
  QString err;
};

// Waits until `process` has written `line` to standard output (kept in `seen`).
bool WaitForLine(QProcess& process, const QString& line, QString& seen, int timeoutMs) {
  QElapsedTimer elapsed;
  elapsed.start();
  for (;;) {
    seen += QString::fromLocal8Bit(process.readAllStandardOutput());
    if (seen.split(QLatin1Char('\n')).contains(line)) {
      return true;
    }
    const qint64 left = timeoutMs - elapsed.elapsed();
    if (left <= 0 || process.state() == QProcess::NotRunning) {
      return false;
    }
    process.waitForReadyRead(static_cast<int>(left));
  }
}

// Every start runs on the offscreen platform with a runtime folder of its own, so that the
// single instance of these tests never meets a Keyloom that the user runs.
class StartupTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir scratch_;

  [[nodiscard]] QString RuntimeFolder() const { return scratch_.filePath(QStringLiteral("run")); }

  [[nodiscard]] QProcessEnvironment Environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), RuntimeFolder());
    environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
    return environment;
  }

  // Arguments that keep the user's files and the simulated keyboard in the scratch folder.
  [[nodiscard]] QStringList Simulated(QStringList more = {}) const {
    return QStringList{QStringLiteral("--simulate"), QStringLiteral("--data-dir"),
                       scratch_.filePath(QStringLiteral("data"))} +
           more;
  }

  static Finished Run(const QString& program, const QStringList& arguments,
                      const QProcessEnvironment& environment, const QString& folder = {}) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder.isEmpty() ? QDir::tempPath() : folder);
    process.start(program, arguments);
    Finished result;
    result.finished = process.waitForFinished(kStartTimeoutMs);
    if (!result.finished) {
      process.kill();
      process.waitForFinished();
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
  }

  // A first instance that says when it holds the instance and when it is brought forward.
  std::unique_ptr<QProcess> StartFirstInstance(QString& seen) const {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = Environment();
    environment.insert(QStringLiteral("KEYLOOM_REPORT_INSTANCE"), QStringLiteral("1"));
    process->setProcessEnvironment(environment);
    process->setWorkingDirectory(QDir::tempPath());
    process->start(kKeyloom, Simulated());
    if (!WaitForLine(*process, QStringLiteral("instance: first"), seen, kStartTimeoutMs)) {
      qWarning("first instance: %s",
               qPrintable(QString::fromLocal8Bit(process->readAllStandardError())));
      return nullptr;
    }
    return process;
  }

  static void Stop(QProcess& process) {
    process.kill();
    process.waitForFinished();
  }

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(scratch_.isValid());
    QVERIFY(QDir().mkpath(RuntimeFolder()));
    QVERIFY(QFile::setPermissions(RuntimeFolder(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
  }

  // None of these needs a display: they are answered before the GUI starts.
  void commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("onStandardError");
    QTest::addColumn<QString>("pattern");

    QTest::newRow("unknown option") << QStringList{QStringLiteral("--bogus")} << 2 << true
                                    << QStringLiteral("^keyloom: Unknown option 'bogus'\\.\\n");
    QTest::newRow("option without its value")
        << QStringList{QStringLiteral("--config")} << 2 << true
        << QStringLiteral("Missing value after '--config'");
    QTest::newRow("stray argument") << QStringList{QStringLiteral("profile")} << 2 << true
                                    << QStringLiteral("unexpected argument 'profile'");
    QTest::newRow("empty file name") << QStringList{QStringLiteral("--screenshot"), QString()} << 2
                                     << true << QStringLiteral("--screenshot needs a name");
    QTest::newRow("unreadable configuration")
        << QStringList{QStringLiteral("--config"), QStringLiteral("/nonexistent/keyloom.xml")} << 2
        << true << QStringLiteral("cannot read the configuration file /nonexistent/keyloom\\.xml");
    QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0 << false
                             << QStringLiteral("^keyloom \\d+\\.\\d+\\.\\d+\\n$");
    QTest::newRow("help") << QStringList{QStringLiteral("-h")} << 0 << false
                          << QStringLiteral(
                                 "^Usage: keyloom \\[options\\]\\n.*--screenshot <FILE>");
  }

  void commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(bool, onStandardError);
    QFETCH(QString, pattern);

    QProcessEnvironment noDisplay = Environment();
    noDisplay.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    noDisplay.remove(QStringLiteral("DISPLAY"));
    noDisplay.remove(QStringLiteral("WAYLAND_DISPLAY"));
    const Finished run = Run(kKeyloom, arguments, noDisplay);

    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, exitCode);
    const QString& text = onStandardError ? run.err : run.out;
    QVERIFY2(QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption)
                 .match(text)
                 .hasMatch(),
             qPrintable(text));
  }

  // Started from another folder, keyloom still finds its skin and config.xml beside it, and
  // reads the names of the command line from the folder it was started in.
  void screenshotFromAnotherFolder_data() {
    QTest::addColumn<QString>("scale");
    QTest::addColumn<QSize>("size");
    QTest::newRow("100 %") << QStringLiteral("1") << QSize(1180, 720);
    QTest::newRow("200 %") << QStringLiteral("2") << QSize(2360, 1440);
  }

  void screenshotFromAnotherFolder() {
    QFETCH(QString, scale);
    QFETCH(QSize, size);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QProcessEnvironment environment = Environment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);

    const Finished run =
        Run(kKeyloom,
            {QStringLiteral("--simulate"), QStringLiteral("--data-dir"), QStringLiteral("data"),
             QStringLiteral("--screenshot"), QStringLiteral("main.png")},
            environment, folder.path());

    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.err));
    QVERIFY(QDir(folder.filePath(QStringLiteral("data"))).exists());
    const QImage picture(folder.filePath(QStringLiteral("main.png")));
    QCOMPARE(picture.size(), size);
    // The skin's pictures and texts give thousands of colours; a window without its skin, or a
    // blank one, gives a handful.
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 3) {
      for (int x = 0; x < picture.width(); x += 3) {
        colours.insert(picture.pixel(x, y));
      }
    }
    QVERIFY2(colours.size() > 1000, qPrintable(QString::number(colours.size())));
  }

  void unwritableScreenshotIsReported() {
    const Finished run = Run(
        kKeyloom,
        Simulated({QStringLiteral("--screenshot"), QStringLiteral("/nonexistent/folder/main.png")}),
        Environment());
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(QStringLiteral("cannot write the screenshot")), qPrintable(run.err));
  }

  // A copy of the program beside config.xml but without "uires" says so and ends, rather than
  // running without a window.
  void missingSkinIsReported() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString copy = folder.filePath(QStringLiteral("keyloom"));
    QVERIFY(QFile::copy(kKeyloom, copy));
    QVERIFY(QFile::copy(QStringLiteral(KEYLOOM_BIN_DIR "/config.xml"),
                        folder.filePath(QStringLiteral("config.xml"))));

    const Finished run =
        Run(copy, Simulated({QStringLiteral("--screenshot"), QStringLiteral("main.png")}),
            Environment(), folder.path());

    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QStringLiteral("the skin is missing")), qPrintable(run.err));
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("main.png"))));
  }

  // --trace writes the window's transfers and pauses to standard error as keyloomctl does: at
  // the start the first profile is selected and its slots are read.
  void traceShowsTheTransfersOfTheStart() {
    const QString data = scratch_.filePath(QStringLiteral("trace-data"));
    const Finished run = Run(kKeyloom,
                             {QStringLiteral("--simulate"), QStringLiteral("--data-dir"), data,
                              QStringLiteral("--trace"), QStringLiteral("--screenshot"),
                              scratch_.filePath(QStringLiteral("trace.png"))},
                             Environment());

    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    const QStringList expected{QStringLiteral("set 07fc010000000000 ok"),
                               QStringLiteral("pause 50"),
                               QStringLiteral("pause 50"),
                               QStringLiteral("set 07fb010000000000 ok"),
                               QStringLiteral("pause 10"),
                               QStringLiteral("pause 10"),
                               QStringLiteral("get 07ee000000000000 ok"),
                               QStringLiteral("pause 10"),
                               QStringLiteral("get 07000000000000ee ok"),
                               QStringLiteral("pause 10"),
                               QStringLiteral("get 0700000000000000 ok"),
                               QStringLiteral("pause 10"),
                               QStringLiteral("get 070000000000eeee ok")};
    QCOMPARE(run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
  }

  // The window is painted before the keyboard's first transfer: the start's select and slot
  // read (above) follow the first paint.
  void theWindowPaintsBeforeTheFirstTransfer() {
    QProcessEnvironment environment = Environment();
    environment.insert(QStringLiteral("KEYLOOM_EXIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
    const Finished run =
        Run(kKeyloom,
            {QStringLiteral("--simulate"), QStringLiteral("--data-dir"),
             scratch_.filePath(QStringLiteral("paint-data")), QStringLiteral("--trace")},
            environment);

    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const auto painted = std::find_if(lines.begin(), lines.end(), [](const QString& line) {
      return line.startsWith(QStringLiteral("keyloom: first paint at "));
    });
    QVERIFY2(painted != lines.end(), qPrintable(run.err));
    const auto sent = std::find_if(lines.begin(), lines.end(), [](const QString& line) {
      return line.startsWith(QStringLiteral("set ")) || line.startsWith(QStringLiteral("get "));
    });
    QVERIFY2(painted < sent, qPrintable(run.err));
  }

  void secondStartBringsFirstForwardAndEnds() {
    QString firstOutput;
    const std::unique_ptr<QProcess> first = StartFirstInstance(firstOutput);
    QVERIFY(first != nullptr);

    const Finished second = Run(kKeyloom, Simulated(), Environment());

    QVERIFY2(second.finished, "the second start keeps running");
    QCOMPARE(second.exitCode, 0);
    QVERIFY(
        WaitForLine(*first, QStringLiteral("instance: activated"), firstOutput, kStartTimeoutMs));
    QCOMPARE(first->state(), QProcess::Running);
    Stop(*first);
  }

  // A first instance that died leaves its lock and socket behind; they do not stop the next start.
  void leftoversOfACrashedInstanceDoNotBlock() {
    QString output;
    std::unique_ptr<QProcess> crashed = StartFirstInstance(output);
    QVERIFY(crashed != nullptr);
    Stop(*crashed);

    QString nextOutput;
    const std::unique_ptr<QProcess> next = StartFirstInstance(nextOutput);
    QVERIFY2(next != nullptr, "the start after the crash did not become the first instance");

    const Finished later = Run(kKeyloom, Simulated(), Environment());
    QVERIFY(later.finished);
    QCOMPARE(later.exitCode, 0);
    QVERIFY(WaitForLine(*next, QStringLiteral("instance: activated"), nextOutput, kStartTimeoutMs));
    Stop(*next);
  }
};

}  // namespace

QTEST_GUILESS_MAIN(StartupTest)
#include "StartupTest.moc"

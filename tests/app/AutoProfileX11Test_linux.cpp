#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include "autoprofile/FocusWatcher.h"

namespace {

using keyloom::autoprofile::FocusEnvironment;
using keyloom::autoprofile::FocusWatchLimit;

const QString kKeyloom = QStringLiteral(KEYLOOM_BIN_DIR "/keyloom");
const QString kKeyloomctl = QStringLiteral(KEYLOOM_BIN_DIR "/keyloomctl");
constexpr int kTimeoutMs = 30000;
// Longer than the settle time of a focus change.
constexpr int kSettledMs = 600;

struct ConnectionDeleter {
  void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};

// A window of a test application on the test's display: its WM_CLASS and _NET_WM_PID.
struct TestWindow {
  xcb_window_t id = 0;
  std::string instance;
  std::string windowClass;
};

bool Readable(int fd, int timeoutMs) {
  pollfd entry{fd, POLLIN, 0};
  return poll(&entry, 1, timeoutMs) == 1;
}

// Profiles that follow the application on a real X server (Xvfb, started by the test), with the
// window manager's part played by the test: it makes windows with their WM_CLASS and process id
// and names the active one in the root window's _NET_ACTIVE_WINDOW, as a window manager does.
class AutoProfileX11Test : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir scratch_;
  QProcess xvfb_;
  QString display_;
  std::unique_ptr<xcb_connection_t, ConnectionDeleter> c_;
  xcb_window_t root_ = 0;
  xcb_atom_t activeAtom_ = 0;
  xcb_atom_t pidAtom_ = 0;

  xcb_atom_t Atom(std::string_view name) {
    const auto cookie =
        xcb_intern_atom(c_.get(), 0, static_cast<std::uint16_t>(name.size()), name.data());
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c_.get(), cookie, nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : 0;
    std::free(reply);
    return atom;
  }

  TestWindow MakeWindow(const std::string& instance, const std::string& windowClass,
                        std::uint32_t pid) {
    TestWindow window{xcb_generate_id(c_.get()), instance, windowClass};
    xcb_create_window(c_.get(), XCB_COPY_FROM_PARENT, window.id, root_, 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    const std::string names = instance + '\0' + windowClass + '\0';
    xcb_change_property(c_.get(), XCB_PROP_MODE_REPLACE, window.id, XCB_ATOM_WM_CLASS,
                        XCB_ATOM_STRING, 8, static_cast<std::uint32_t>(names.size()), names.data());
    xcb_change_property(c_.get(), XCB_PROP_MODE_REPLACE, window.id, pidAtom_, XCB_ATOM_CARDINAL, 32,
                        1, &pid);
    xcb_flush(c_.get());
    return window;
  }

  void Activate(xcb_window_t window) {
    xcb_change_property(c_.get(), XCB_PROP_MODE_REPLACE, root_, activeAtom_, XCB_ATOM_WINDOW, 32, 1,
                        &window);
    xcb_aux_sync();
  }

  // Waits until the server has taken every request sent so far.
  void xcb_aux_sync() {
    std::free(xcb_get_input_focus_reply(c_.get(), xcb_get_input_focus(c_.get()), nullptr));
  }

  [[nodiscard]] FocusEnvironment Display() const { return {display_.toStdString(), "", ""}; }

  [[nodiscard]] QString DataFolder() const { return scratch_.filePath(QStringLiteral("data")); }

  // keyloomctl on the test's data folder; answers its exit status.
  int Keyloomctl(const QStringList& arguments) {
    QProcess ctl;
    ctl.start(kKeyloomctl, QStringList{QStringLiteral("--data-dir"), DataFolder(),
                                       QStringLiteral("auto-profile")} +
                               arguments);
    if (!ctl.waitForFinished(kTimeoutMs)) {
      return -1;
    }
    return ctl.exitCode();
  }

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(scratch_.isValid());
    QVERIFY(QDir().mkpath(scratch_.filePath(QStringLiteral("run"))));
    QFile::setPermissions(scratch_.filePath(QStringLiteral("run")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Xvfb picks a display number that no other server holds, also one that only listens on an
    // abstract socket (another container's), and says which once it accepts connections.
    xvfb_.start(QStringLiteral("Xvfb"),
                {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                 QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                 QStringLiteral("640x480x24")});
    QVERIFY2(xvfb_.waitForStarted(kTimeoutMs), "Xvfb is missing: apt-get install xvfb");
    QElapsedTimer waited;
    waited.start();
    while (!xvfb_.canReadLine()) {
      QVERIFY2(waited.elapsed() < kTimeoutMs && xvfb_.state() == QProcess::Running,
               qPrintable(QStringLiteral("Xvfb did not start: %1")
                              .arg(QString::fromLocal8Bit(xvfb_.readAllStandardError()))));
      xvfb_.waitForReadyRead(100);
    }
    display_ = QLatin1Char(':') + QString::fromLatin1(xvfb_.readLine()).trimmed();
    c_.reset(xcb_connect(display_.toLatin1().constData(), nullptr));
    QVERIFY2(xcb_connection_has_error(c_.get()) == 0, qPrintable(display_));
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_.get())).data->root;
    activeAtom_ = Atom("_NET_ACTIVE_WINDOW");
    pidAtom_ = Atom("_NET_WM_PID");
  }

  void cleanupTestCase() {
    c_.reset();
    xvfb_.terminate();
    xvfb_.waitForFinished(kTimeoutMs);
  }

  void saysWhereTheFocusCannotBeWatched_data() {
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("waylandDisplay");
    QTest::addColumn<bool>("watching");
    QTest::addColumn<int>("limit");
    QTest::newRow("no display") << QString() << QString() << false
                                << int(FocusWatchLimit::kNoDisplay);
    QTest::newRow("Wayland without XWayland")
        << QString() << QStringLiteral("wayland-0") << false << int(FocusWatchLimit::kWaylandOnly);
    QTest::newRow("Wayland with XWayland") << QStringLiteral("test") << QStringLiteral("wayland-0")
                                           << true << int(FocusWatchLimit::kWaylandXOnly);
    QTest::newRow("a display that does not open")
        << QStringLiteral(":9999") << QString() << false << int(FocusWatchLimit::kDisplayNotOpened);
    QTest::newRow("X11") << QStringLiteral("test") << QString() << true << -1;
  }

  void saysWhereTheFocusCannotBeWatched() {
    QFETCH(QString, display);
    QFETCH(QString, waylandDisplay);
    QFETCH(bool, watching);
    QFETCH(int, limit);
    const QString name = display == QStringLiteral("test") ? display_ : display;
    const auto watch = keyloom::autoprofile::OpenFocusWatcher(
        {name.toStdString(), waylandDisplay.toStdString(), ""});
    QCOMPARE(watch.watcher != nullptr, watching);
    QCOMPARE(watch.limit ? int(*watch.limit) : -1, limit);
    QVERIFY(
        std::string_view(keyloom::autoprofile::FocusWatchLimitText(FocusWatchLimit::kWaylandOnly))
            .find("Wayland") != std::string_view::npos);
  }

  // The watcher's descriptor is readable when the active window changes, and only then; the
  // active window's names and program come from its properties and /proc.
  void watcherTellsTheActiveWindowOnlyWhenItChanges() {
    const auto watch = keyloom::autoprofile::OpenFocusWatcher(Display());
    QVERIFY(watch.watcher);
    QVERIFY(!watch.limit);
    auto& watcher = *watch.watcher;
    const TestWindow own = MakeWindow("game", "Game", static_cast<std::uint32_t>(getpid()));
    const TestWindow server =
        MakeWindow("tool", "Tool", static_cast<std::uint32_t>(xvfb_.processId()));
    xcb_aux_sync();
    watcher.TakeEvents();
    QVERIFY(!Readable(watcher.fd(), 200));

    Activate(server.id);
    QVERIFY(Readable(watcher.fd(), kTimeoutMs));
    QVERIFY(watcher.TakeEvents().focusChanged);
    auto focused = watcher.ActiveWindow();
    QVERIFY(!focused.none);
    QCOMPARE(focused.instance, std::string("tool"));
    QCOMPARE(focused.windowClass, std::string("Tool"));
    QCOMPARE(focused.executable, std::string("Xvfb"));
    QVERIFY(!focused.ownProgram);
    QVERIFY(!watcher.TakeEvents().focusChanged);

    Activate(own.id);
    QVERIFY(Readable(watcher.fd(), kTimeoutMs));
    QVERIFY(watcher.TakeEvents().focusChanged);
    focused = watcher.ActiveWindow();
    QCOMPARE(focused.instance, std::string("game"));
    QVERIFY(focused.ownProgram);

    // Another property of the root window is no focus change.
    const xcb_atom_t other = Atom("KEYLOOM_TEST_PROPERTY");
    const std::uint32_t value = 1;
    xcb_change_property(c_.get(), XCB_PROP_MODE_REPLACE, root_, other, XCB_ATOM_CARDINAL, 32, 1,
                        &value);
    xcb_aux_sync();
    QVERIFY(Readable(watcher.fd(), kTimeoutMs));
    QVERIFY(!watcher.TakeEvents().focusChanged);

    Activate(XCB_WINDOW_NONE);
    QVERIFY(Readable(watcher.fd(), kTimeoutMs));
    QVERIFY(watcher.TakeEvents().focusChanged);
    QVERIFY(watcher.ActiveWindow().none);

    // The window manager's list of windows, from which the rules page picks an application.
    const std::array<xcb_window_t, 2> clients{server.id, own.id};
    xcb_change_property(c_.get(), XCB_PROP_MODE_REPLACE, root_, Atom("_NET_CLIENT_LIST"),
                        XCB_ATOM_WINDOW, 32, clients.size(), clients.data());
    xcb_aux_sync();
    const std::vector<keyloom::autoprofile::FocusedWindow> windows = watcher.Windows();
    QCOMPARE(windows.size(), clients.size());
    QCOMPARE(windows[0].windowClass, std::string("Tool"));
    QCOMPARE(windows[0].executable, std::string("Xvfb"));
    QVERIFY(!windows[0].ownProgram);
    QCOMPARE(windows[1].instance, std::string("game"));
    QVERIFY(windows[1].ownProgram);
  }

  // keyloom on this display, its transfers traced: each settled change of application selects
  // the rule's profile once, through the window's profile list.
  void keyloomSelectsTheProfileOfTheFocusedApplication() {
    QVERIFY(QDir().mkpath(DataFolder()));
    QCOMPARE(Keyloomctl({QStringLiteral("add"), QStringLiteral("--class"), QStringLiteral("game"),
                         QStringLiteral("--profile"), QStringLiteral("2")}),
             0);
    QCOMPARE(Keyloomctl({QStringLiteral("add"), QStringLiteral("--exe"), QStringLiteral("Xvfb"),
                         QStringLiteral("--profile"), QStringLiteral("3")}),
             0);
    QCOMPARE(Keyloomctl({QStringLiteral("default"), QStringLiteral("1")}), 0);
    QCOMPARE(Keyloomctl({QStringLiteral("on")}), 0);

    const auto pid = static_cast<std::uint32_t>(getpid());
    const TestWindow game = MakeWindow("game", "Game", pid);
    const TestWindow gameTwo = MakeWindow("game", "Game", pid);
    const TestWindow editor = MakeWindow("editor", "Editor", pid);
    const TestWindow tool =
        MakeWindow("tool", "Tool", static_cast<std::uint32_t>(xvfb_.processId()));

    QProcess keyloom;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display_);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), scratch_.filePath(QStringLiteral("run")));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("XDG_SESSION_TYPE"));
    // Under AddressSanitizer: libxkbcommon-x11, which Qt's xcb platform asks for the keymap,
    // hands strndup a length beyond its buffer (the string ends before it), which strict string
    // checks report; the later setting wins.
    if (environment.contains(QStringLiteral("ASAN_OPTIONS"))) {
      environment.insert(QStringLiteral("ASAN_OPTIONS"),
                         environment.value(QStringLiteral("ASAN_OPTIONS")) +
                             QStringLiteral(":strict_string_checks=0"));
    }
    keyloom.setProcessEnvironment(environment);
    keyloom.start(kKeyloom, {QStringLiteral("--simulate"), QStringLiteral("--trace"),
                             QStringLiteral("--data-dir"), DataFolder()});
    QVERIFY(keyloom.waitForStarted(kTimeoutMs));

    QStringList lines;
    QString pending;
    qsizetype consumed = 0;
    // Waits for the next line after those answered so far that starts with `prefix`, and answers
    // it; every line read is kept.
    const auto next = [&](const QString& prefix) -> QString {
      QElapsedTimer elapsed;
      elapsed.start();
      for (;;) {
        for (; consumed < lines.size(); ++consumed) {
          if (lines[consumed].startsWith(prefix)) {
            return lines[consumed++];
          }
        }
        if (elapsed.elapsed() > kTimeoutMs || keyloom.state() == QProcess::NotRunning) {
          return QStringLiteral("(no line %1)").arg(prefix);
        }
        keyloom.waitForReadyRead(100);
        pending += QString::fromLocal8Bit(keyloom.readAllStandardError());
        const qsizetype end = pending.lastIndexOf(QLatin1Char('\n'));
        if (end >= 0) {
          lines += pending.left(end).split(QLatin1Char('\n'));
          pending.remove(0, end + 1);
        }
      }
    };
    // Where keyloom never watches, what it said and how it ended tell why.
    QVERIFY2(next(QStringLiteral("focus watching")) == QStringLiteral("focus watching"),
             qPrintable(QStringLiteral("keyloom %1 (status %2); standard error:\n%3\n%4\n"
                                       "standard output:\n%5")
                            .arg(keyloom.state() == QProcess::NotRunning ? QStringLiteral("ended")
                                                                         : QStringLiteral("runs"))
                            .arg(keyloom.exitCode())
                            .arg(lines.join(QLatin1Char('\n')), pending,
                                 QString::fromLocal8Bit(keyloom.readAllStandardOutput()))));
    // The window's own start selects the first profile, once it has been painted.
    QCOMPARE(next(QStringLiteral("set 07fc")), QStringLiteral("set 07fc010000000000 ok"));
    const qsizetype started = consumed;

    const auto settle = [&](xcb_window_t window) {
      Activate(window);
      return next(QStringLiteral("focus "));
    };
    const QString testProgram = QStringLiteral("\"app_autoprofile_x11_tests\": ");
    QCOMPARE(settle(game.id), "focus \"game\" \"Game\" " + testProgram + "select profile 2");
    QCOMPARE(settle(gameTwo.id),
             "focus \"game\" \"Game\" " + testProgram + "same application, nothing changes");
    QCOMPARE(settle(editor.id), "focus \"editor\" \"Editor\" " + testProgram + "select profile 1");
    QCOMPARE(settle(tool.id), QStringLiteral("focus \"tool\" \"Tool\" \"Xvfb\": select profile 3"));
    // Alt+Tab through four windows once keyloom is done with that select: one decision, on the
    // last.
    QTest::qWait(kSettledMs);
    for (const xcb_window_t window : {game.id, tool.id, gameTwo.id, editor.id}) {
      Activate(window);
      QTest::qWait(30);
    }
    QCOMPARE(next(QStringLiteral("focus ")),
             "focus \"editor\" \"Editor\" " + testProgram + "select profile 1");
    QTest::qWait(kSettledMs);

    QCOMPARE(Keyloomctl({QStringLiteral("off")}), 0);
    QCOMPARE(settle(game.id), "focus \"game\" \"Game\" " + testProgram + "switching is off");
    QCOMPARE(settle(tool.id), QStringLiteral("focus \"tool\" \"Tool\" \"Xvfb\": switching is off"));

    QStringList focusLines;
    QStringList selects;
    for (qsizetype i = started; i < lines.size(); ++i) {
      if (lines[i].startsWith(QStringLiteral("focus "))) {
        focusLines += lines[i];
      } else if (lines[i].startsWith(QStringLiteral("set 07fc"))) {
        selects += lines[i];
      }
    }
    QCOMPARE(focusLines.size(), 7);
    QCOMPARE(selects, QStringList({QStringLiteral("set 07fc020000000000 ok"),
                                   QStringLiteral("set 07fc010000000000 ok"),
                                   QStringLiteral("set 07fc030000000000 ok"),
                                   QStringLiteral("set 07fc010000000000 ok")}));
    keyloom.terminate();
    QVERIFY(keyloom.waitForFinished(kTimeoutMs));
  }
};

}  // namespace

QTEST_GUILESS_MAIN(AutoProfileX11Test)
#include "AutoProfileX11Test_linux.moc"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/SessionBus.h"

namespace keyloom::app {
namespace {

// A folder holding a file "name", executable or not.
QString FolderWith(const QTemporaryDir& root, const QString& folder, const QString& name,
                   bool executable) {
  const QString path = root.filePath(folder);
  QDir().mkpath(path);
  QFile file(QDir(path).filePath(name));
  if (!file.open(QIODevice::WriteOnly)) {
    qFatal("cannot write %s", qPrintable(file.fileName()));
  }
  file.setPermissions(executable ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner);
  return path;
}

class SessionBusTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void aLaunchIsFutileOnlyWithoutBusAndLauncher_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("runtimeFolder");
    QTest::addColumn<QString>("launcherFolder");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("futile");
    // Folder names below the test's temporary folder; "-" for none.
    QTest::newRow("no bus, no launcher") << ""
                                         << ":1"
                                         << "run"
                                         << "-"
                                         << "plain" << true;
    QTest::newRow("a bus address") << "unix:path=/x"
                                   << ":1"
                                   << "run"
                                   << "-"
                                   << "plain" << false;
    QTest::newRow("no display") << ""
                                << ""
                                << "run"
                                << "-"
                                << "plain" << false;
    QTest::newRow("a bus in the runtime folder") << ""
                                                 << ":1"
                                                 << "run-bus"
                                                 << "-"
                                                 << "plain" << false;
    QTest::newRow("the launcher in D-Bus's folder") << ""
                                                    << ":1"
                                                    << "run"
                                                    << "launcher"
                                                    << "plain" << false;
    QTest::newRow("the launcher on the PATH") << ""
                                              << ":1"
                                              << "run"
                                              << "-"
                                              << "launcher" << false;
    QTest::newRow("a launcher that does not run") << ""
                                                  << ":1"
                                                  << "run"
                                                  << "not-runnable"
                                                  << "not-runnable" << true;
  }
  void aLaunchIsFutileOnlyWithoutBusAndLauncher() {
    QFETCH(QString, address);
    QFETCH(QString, display);
    QFETCH(QString, runtimeFolder);
    QFETCH(QString, launcherFolder);
    QFETCH(QString, path);
    QFETCH(bool, futile);
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("run"));
    FolderWith(root, QStringLiteral("run-bus"), QStringLiteral("bus"), false);
    FolderWith(root, QStringLiteral("plain"), QStringLiteral("ls"), true);
    FolderWith(root, QStringLiteral("launcher"), QStringLiteral("dbus-launch"), true);
    FolderWith(root, QStringLiteral("not-runnable"), QStringLiteral("dbus-launch"), false);

    QProcessEnvironment environment;
    if (!address.isEmpty()) {
      environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    }
    if (!display.isEmpty()) {
      environment.insert(QStringLiteral("DISPLAY"), display);
    }
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.filePath(runtimeFolder));
    environment.insert(QStringLiteral("PATH"),
                       root.filePath(QStringLiteral("plain")) + u':' + root.filePath(path));
    const QStringList launcherFolders =
        launcherFolder == u"-" ? QStringList() : QStringList{root.filePath(launcherFolder)};

    QCOMPARE(SessionBusLaunchIsFutile(environment, launcherFolders), futile);
  }
};

}  // namespace
}  // namespace keyloom::app

QTEST_GUILESS_MAIN(keyloom::app::SessionBusTest)
#include "SessionBusTest_linux.moc"

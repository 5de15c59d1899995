#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <tuple>

#include "app/SessionBus.h"

namespace keyloom::app {

class SessionBusTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void aLaunchIsFutileOnlyWithoutBusAndLauncher() {
    // Folders of a temporary one: "run" empty, "run-bus" with a bus, "launcher" with dbus-launch,
    // "stale" with a dbus-launch that may not run.
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("run")));
    for (const auto& [folder, file, runs] : {std::tuple{"run-bus", "bus", false},
                                             {"launcher", "dbus-launch", true},
                                             {"stale", "dbus-launch", false}}) {
      QVERIFY(QDir(root.path()).mkpath(QLatin1String(folder)));
      QFile made(root.filePath(QLatin1String(folder) + u'/' + QLatin1String(file)));
      QVERIFY(made.open(QIODevice::WriteOnly));
      QVERIFY(made.setPermissions(runs ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner));
    }
    // The bus address and the display set or not; the runtime folder, D-Bus's own folder and the
    // PATH ("" for none).
    const std::tuple<const char*, bool, bool, const char*, const char*, const char*, bool> cases[] =
        {
            {"no bus, no launcher", false, true, "run", "", "run", true},
            {"a bus address", true, true, "run", "", "run", false},
            {"no display", false, false, "run", "", "run", false},
            {"a bus in the runtime folder", false, true, "run-bus", "", "run", false},
            {"the launcher in D-Bus's folder", false, true, "run", "launcher", "run", false},
            {"the launcher on the PATH", false, true, "run", "", "launcher", false},
            {"a launcher that does not run", false, true, "run", "stale", "stale", true},
        };
    for (const auto& [name, address, display, runtime, dbusFolder, path, futile] : cases) {
      QProcessEnvironment environment;
      if (address) {
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=/x"));
      }
      if (display) {
        environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":1"));
      }
      environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.filePath(QLatin1String(runtime)));
      environment.insert(QStringLiteral("PATH"), root.filePath(QLatin1String(path)));
      const QStringList dbusFolders = *dbusFolder == '\0'
                                          ? QStringList()
                                          : QStringList{root.filePath(QLatin1String(dbusFolder))};
      QVERIFY2(SessionBusLaunchIsFutile(environment, dbusFolders) == futile, name);
    }
  }
};

}  // namespace keyloom::app

QTEST_GUILESS_MAIN(keyloom::app::SessionBusTest)
#include "SessionBusTest_linux.moc"

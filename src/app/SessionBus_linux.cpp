#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <algorithm>

#include <QLatin1StringView>

#include "app/SessionBus.h"

namespace keyloom::app {

namespace {

constexpr char kBusAddressVariable[] = "DBUS_SESSION_BUS_ADDRESS";
// An address of no transport: D-Bus refuses it without trying anything.
constexpr char kNoBusAddress[] = "disabled:";
// Where Debian's D-Bus looks for its launcher before the PATH.
constexpr QLatin1StringView kDbusProgramFolder("/usr/bin");
// The PATH that execvp, which D-Bus uses, searches when none is set.
constexpr QLatin1StringView kDefaultPath("/bin:/usr/bin");

}  // namespace

std::jthread ConnectSessionBusAside() {
  // Without a display (Qt's offscreen and minimal platforms) no bridge asks for the bus, and
  // with the address that D-Bus refuses the bridge's own connection fails at once.
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1StringView("offscreen") || platform == QLatin1StringView("minimal") ||
      qgetenv(kBusAddressVariable) == kNoBusAddress) {
    return {};
  }
  // Qt keeps the first connection to the session bus for every later asker, whatever its thread.
  return std::jthread([] { static_cast<void>(QDBusConnection::sessionBus()); });
}

bool SessionBusLaunchIsFutile(const QProcessEnvironment& environment,
                              const QStringList& launcherFolders) {
  if (!environment.value(QLatin1StringView(kBusAddressVariable)).isEmpty() ||
      environment.value(QStringLiteral("DISPLAY")).isEmpty()) {
    return false;
  }
  const QString runtimeFolder = environment.value(QStringLiteral("XDG_RUNTIME_DIR"));
  if (!runtimeFolder.isEmpty() &&
      QFileInfo::exists(QDir(runtimeFolder).filePath(QStringLiteral("bus")))) {
    return false;
  }
  const QString path = environment.contains(QStringLiteral("PATH"))
                           ? environment.value(QStringLiteral("PATH"))
                           : QString(kDefaultPath);
  QStringList folders = launcherFolders;
  for (const QString& folder : path.split(QLatin1Char(':'))) {
    // An empty entry is the current folder.
    folders.append(folder.isEmpty() ? QStringLiteral(".") : folder);
  }
  return std::none_of(folders.begin(), folders.end(), [](const QString& folder) {
    return QFileInfo(QDir(folder), QStringLiteral("dbus-launch")).isExecutable();
  });
}

void AvoidFutileSessionBusLaunch() {
  if (SessionBusLaunchIsFutile(QProcessEnvironment::systemEnvironment(),
                               {QString(kDbusProgramFolder)})) {
    qputenv(kBusAddressVariable, kNoBusAddress);
  }
}

}  // namespace keyloom::app

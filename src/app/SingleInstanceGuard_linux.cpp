#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <cstdio>
#include <memory>
#include <utility>

#include <unistd.h>

#include "app/SingleInstanceGuard.h"

namespace keyloom::app {

namespace {

// A later start sends the request, the first instance answers; one line each.
constexpr char kActivateRequest[] = "activate\n";
constexpr char kActivateAnswer[] = "ok\n";
// Anything longer than this without a line break is not a request; the connection is dropped.
constexpr qint64 kMaxRequestLength = 64;

// The first instance takes the lock a moment before it listens: a later start keeps trying to
// connect for this long, with this pause between tries, and then waits this long for the answer.
constexpr qint64 kReachTimeoutMs = 3000;
constexpr unsigned long kRetryPauseMs = 50;
constexpr int kConnectTimeoutMs = 500;
constexpr int kAnswerTimeoutMs = 2000;

QString RuntimeFolder() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return folder.isEmpty() ? QDir::tempPath() : folder;
}

// InstanceName as part of a file name, with the user id: users who share the temporary folder
// do not share an instance. Characters other than ASCII letters, digits, '.', '-' and '_'
// become '_'.
QString FileStem(const QString& instanceName) {
  QString stem;
  for (const QChar c : instanceName) {
    const bool kept = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                      (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                      (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.') ||
                      c == QLatin1Char('-') || c == QLatin1Char('_');
    stem += kept ? c : QLatin1Char('_');
  }
  return stem + QStringLiteral("-%1").arg(getuid());
}

// Asks the first instance to come to the front; true once it has answered.
bool AskFirstInstance(const QString& socketPath) {
  QElapsedTimer elapsed;
  elapsed.start();
  for (;;) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (socket.waitForConnected(kConnectTimeoutMs)) {
      socket.write(kActivateRequest);
      socket.flush();
      while (!socket.canReadLine() && socket.waitForReadyRead(kAnswerTimeoutMs)) {
      }
      return socket.canReadLine() && socket.readLine() == QByteArray(kActivateAnswer);
    }
    if (elapsed.elapsed() >= kReachTimeoutMs) {
      return false;
    }
    QThread::msleep(kRetryPauseMs);
  }
}

}  // namespace

struct SingleInstanceGuard::Platform {
  std::unique_ptr<QLockFile> lock;
  QLocalServer server;
};

SingleInstanceGuard::SingleInstanceGuard(QString instanceName)
    : instanceName_(std::move(instanceName)), platform_(std::make_unique<Platform>()) {}

SingleInstanceGuard::~SingleInstanceGuard() = default;

SingleInstanceGuard::Role SingleInstanceGuard::Acquire() {
  const QString stem = RuntimeFolder() + QLatin1Char('/') + FileStem(instanceName_);
  const QString lockPath = stem + QStringLiteral(".lock");
  const QString socketPath = stem + QStringLiteral(".socket");

  platform_->lock = std::make_unique<QLockFile>(lockPath);
  // Held for the whole run, so its age says nothing; it is stale only once its holder is gone,
  // which QLockFile finds out from the process id it keeps in the file.
  platform_->lock->setStaleLockTime(0);
  if (!platform_->lock->tryLock(0)) {
    if (platform_->lock->error() != QLockFile::LockFailedError) {
      std::fprintf(stderr,
                   "keyloom: cannot create the single-instance lock %s; running without it.\n",
                   qPrintable(QDir::toNativeSeparators(lockPath)));
      return Role::kFirst;
    }
    if (!AskFirstInstance(socketPath)) {
      std::fprintf(stderr, "keyloom: Keyloom is already running but did not answer (lock %s).\n",
                   qPrintable(QDir::toNativeSeparators(lockPath)));
    }
    return Role::kSecond;
  }

  // A socket file left by a first instance that died would keep the server from listening; no
  // living instance uses it, as this process holds the lock.
  QLocalServer::removeServer(socketPath);
  QLocalServer& server = platform_->server;
  server.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server.listen(socketPath)) {
    std::fprintf(stderr, "keyloom: later starts cannot reach this one: %s\n",
                 qPrintable(server.errorString()));
    return Role::kFirst;
  }
  QObject::connect(&server, &QLocalServer::newConnection, &server, [this, &server] {
    while (QLocalSocket* socket = server.nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        if (!socket->canReadLine()) {
          if (socket->bytesAvailable() > kMaxRequestLength) {
            socket->abort();
          }
          return;
        }
        const bool activate = socket->readLine(kMaxRequestLength) == QByteArray(kActivateRequest);
        if (activate) {
          socket->write(kActivateAnswer);
          socket->flush();
        }
        socket->disconnectFromServer();
        if (activate && activationHandler_) {
          activationHandler_();
        }
      });
    }
  });
  return Role::kFirst;
}

void SingleInstanceGuard::SetActivationHandler(std::function<void()> handler) {
  activationHandler_ = std::move(handler);
}

// Later starts reach the main window through the socket; within the process the toolkit's own
// window property marks it.
void SingleInstanceGuard::MarkMainWindow(QWidget& /*window*/, const QString& /*instanceName*/) {}

void SingleInstanceGuard::UnmarkMainWindow(QWidget& /*window*/, const QString& /*instanceName*/) {}

}  // namespace keyloom::app

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <list>
#include <memory>
#include <optional>
#include <utility>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "app/SingleInstanceGuard.h"

namespace keyloom::app {

// The instance's socket and the connections of later starts (the guard's Platform holds them).
namespace instance_socket {

// A socket descriptor, closed with the object.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  [[nodiscard]] int get() const { return fd_; }
  void reset() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
    fd_ = -1;
  }

 private:
  int fd_;
};

// A later start's connection to the first instance, until it has said its line; then `done`,
// closed, and removed at the next connection (not within its own notifier's signal).
struct Request {
  explicit Request(int fd) : socket(fd), notifier(fd, QSocketNotifier::Read) {}
  Descriptor socket;
  QSocketNotifier notifier;
  QByteArray received;
  bool done = false;
};

}  // namespace instance_socket

using instance_socket::Descriptor;
using instance_socket::Request;

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

// The address of the socket file `path`; nothing when the path is too long for one.
std::optional<sockaddr_un> SocketAddress(const QString& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray native = QFile::encodeName(path);
  if (native.isEmpty() || static_cast<std::size_t>(native.size()) >= sizeof(address.sun_path)) {
    return std::nullopt;
  }
  std::memcpy(address.sun_path, native.constData(), static_cast<std::size_t>(native.size()));
  return address;
}

sockaddr* AsSocketAddress(sockaddr_un& address) {
  return reinterpret_cast<sockaddr*>(&address);  // NOLINT: the socket API's own cast
}

// Waits up to `timeoutMs` for `fd` to become ready for `events`.
bool WaitFor(int fd, short events, int timeoutMs) {
  pollfd ready{fd, events, 0};
  int result = 0;
  do {
    result = ::poll(&ready, 1, timeoutMs);
  } while (result < 0 && errno == EINTR);
  return result > 0;
}

// Asks the first instance to come to the front; true once it has answered.
bool AskFirstInstance(const QString& socketPath) {
  std::optional<sockaddr_un> address = SocketAddress(socketPath);
  if (!address) {
    return false;
  }
  QElapsedTimer elapsed;
  elapsed.start();
  for (;;) {
    const Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (socket.get() >= 0 &&
        ::connect(socket.get(), AsSocketAddress(*address), sizeof(sockaddr_un)) == 0) {
      const std::size_t length = sizeof(kActivateRequest) - 1;
      if (::send(socket.get(), kActivateRequest, length, MSG_NOSIGNAL) !=
          static_cast<ssize_t>(length)) {
        return false;
      }
      QByteArray answer;
      std::array<char, 16> chunk{};
      while (!answer.contains('\n') && WaitFor(socket.get(), POLLIN, kAnswerTimeoutMs)) {
        const ssize_t got = ::recv(socket.get(), chunk.data(), chunk.size(), 0);
        if (got <= 0) {
          break;
        }
        answer.append(chunk.data(), got);
      }
      return answer == QByteArray(kActivateAnswer);
    }
    if (elapsed.elapsed() >= kReachTimeoutMs) {
      return false;
    }
    QThread::msleep(kRetryPauseMs);
  }
}

}  // namespace

struct SingleInstanceGuard::Platform {
  Platform() = default;
  Platform(const Platform&) = delete;
  Platform& operator=(const Platform&) = delete;
  ~Platform() {
    if (listening != nullptr) {
      ::unlink(QFile::encodeName(socketPath).constData());
    }
  }

  std::unique_ptr<QLockFile> lock;
  QString socketPath;
  std::unique_ptr<Descriptor> listening;
  std::unique_ptr<QSocketNotifier> incoming;
  std::list<Request> requests;
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

  // A socket file left by a first instance that died would keep the socket from listening; no
  // living instance uses it, as this process holds the lock.
  std::optional<sockaddr_un> address = SocketAddress(socketPath);
  auto listening = std::make_unique<Descriptor>(
      ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  ::unlink(QFile::encodeName(socketPath).constData());
  if (!address || listening->get() < 0 ||
      ::bind(listening->get(), AsSocketAddress(*address), sizeof(sockaddr_un)) != 0 ||
      ::chmod(address->sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(listening->get(), 8) != 0) {
    std::fprintf(stderr, "keyloom: later starts cannot reach this one: %s: %s\n",
                 qPrintable(QDir::toNativeSeparators(socketPath)),
                 address ? std::strerror(errno) : "the path is too long for a socket");
    return Role::kFirst;
  }
  Platform& platform = *platform_;
  platform.incoming = std::make_unique<QSocketNotifier>(listening->get(), QSocketNotifier::Read);
  platform.listening = std::move(listening);
  platform.socketPath = socketPath;
  QObject::connect(platform.incoming.get(), &QSocketNotifier::activated, [this, &platform] {
    platform.requests.remove_if([](const Request& request) { return request.done; });
    for (;;) {
      const int fd =
          ::accept4(platform.listening->get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) {
        return;
      }
      Request& request = platform.requests.emplace_back(fd);
      QObject::connect(&request.notifier, &QSocketNotifier::activated, [this, &current = request] {
        std::array<char, kMaxRequestLength> chunk{};
        const ssize_t got = ::recv(current.socket.get(), chunk.data(), chunk.size(), 0);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
          return;
        }
        if (got > 0) {
          current.received.append(chunk.data(), got);
        }
        const bool complete = current.received.contains('\n');
        if (!complete && got > 0 && current.received.size() <= kMaxRequestLength) {
          return;
        }
        const bool activate = current.received == QByteArray(kActivateRequest);
        if (activate) {
          ::send(current.socket.get(), kActivateAnswer, sizeof(kActivateAnswer) - 1, MSG_NOSIGNAL);
        }
        current.notifier.setEnabled(false);
        current.socket.reset();
        current.done = true;
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

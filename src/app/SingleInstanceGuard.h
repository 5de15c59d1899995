#pragma once

#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace keyloom::app {

// Keeps a second start of the program from running. The first start in the user's session holds
// the instance, named by the skin's InstanceName; a later start brings the first one's main
// window to the front and ends.
//
// Windows: a named mutex, created owned and held until the guard goes; a later start finds the
// main window among the top-level windows by its window property InstanceName (MarkMainWindow).
// Linux: a lock file in the user's runtime folder ($XDG_RUNTIME_DIR, else the temporary folder),
// named from InstanceName and the user id, and a local socket beside it on which the first
// instance takes "activate" requests; a lock left by a process that no longer runs does not count.
class SingleInstanceGuard {
 public:
  enum class Role {
    // This process holds the instance; it goes on starting.
    kFirst,
    // Another process holds it and was asked to come to the front; this one ends with 0.
    kSecond,
  };

  explicit SingleInstanceGuard(QString instanceName);
  ~SingleInstanceGuard();

  SingleInstanceGuard(const SingleInstanceGuard&) = delete;
  SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

  // Takes the instance or, when another process holds it, asks that one to bring its main window
  // to the front. When the instance cannot be guarded at all (no folder for the lock), the
  // program runs unguarded and says so on standard error. Once per guard.
  Role Acquire();

  // Called in the first instance whenever a later start asks it to come to the front (Linux; on
  // Windows the later start brings the window forward itself).
  void SetActivationHandler(std::function<void()> handler);

  // Marks `window` as the instance's main window for later starts (Windows: the window property
  // InstanceName = 1 on its native window), and takes the mark away again.
  static void MarkMainWindow(QWidget& window, const QString& instanceName);
  static void UnmarkMainWindow(QWidget& window, const QString& instanceName);

 private:
  struct Platform;

  QString instanceName_;
  std::unique_ptr<Platform> platform_;
  std::function<void()> activationHandler_;
};

}  // namespace keyloom::app

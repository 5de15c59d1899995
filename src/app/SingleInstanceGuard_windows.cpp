#include <QWidget>
#include <cstdio>
#include <memory>
#include <utility>

#include "app/InstanceMutex.h"
#include "app/InstanceWindows.h"
#include "app/SingleInstanceGuard.h"

namespace keyloom::app {

struct SingleInstanceGuard::Platform {
  std::unique_ptr<InstanceMutex> mutex;
};

SingleInstanceGuard::SingleInstanceGuard(QString instanceName)
    : instanceName_(std::move(instanceName)), platform_(std::make_unique<Platform>()) {}

SingleInstanceGuard::~SingleInstanceGuard() = default;

SingleInstanceGuard::Role SingleInstanceGuard::Acquire() {
  const std::wstring name = instanceName_.toStdWString();
  platform_->mutex = std::make_unique<InstanceMutex>(name);
  if (!platform_->mutex->IsValid()) {
    std::fprintf(stderr, "keyloom: cannot create the single-instance mutex; running without it.\n");
    return Role::kFirst;
  }
  if (!platform_->mutex->AlreadyExisted()) {
    return Role::kFirst;
  }
  ActivateInstanceWindows(name);
  return Role::kSecond;
}

void SingleInstanceGuard::SetActivationHandler(std::function<void()> handler) {
  activationHandler_ = std::move(handler);
}

void SingleInstanceGuard::MarkMainWindow(QWidget& window, const QString& instanceName) {
  MarkInstanceWindow(reinterpret_cast<void*>(window.winId()), instanceName.toStdWString());
}

void SingleInstanceGuard::UnmarkMainWindow(QWidget& window, const QString& instanceName) {
  UnmarkInstanceWindow(reinterpret_cast<void*>(window.winId()), instanceName.toStdWString());
}

}  // namespace keyloom::app

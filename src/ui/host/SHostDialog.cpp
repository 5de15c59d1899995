#include "ui/host/SHostDialog.h"

#include <QEventLoop>
#include <QKeyEvent>
#include <utility>

namespace keyloom::ui {

namespace {

SHostDialog::ExecHook& CurrentExecHook() {
  static SHostDialog::ExecHook hook;
  return hook;
}

}  // namespace

SHostDialog::SHostDialog(QString layoutName) : SHostWnd(std::move(layoutName)) {
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
}

SHostDialog::~SHostDialog() = default;

SHostDialog::ExecHook SHostDialog::SetExecHook(ExecHook hook) {
  return std::exchange(CurrentExecHook(), std::move(hook));
}

int SHostDialog::Exec(QWidget* owner) {
  if (result_ || !Create(owner)) {
    return result_.value_or(kExecFailed);
  }
  if (!result_) {
    setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    CenterWindow();
    show();
    if (const ExecHook& hook = CurrentExecHook()) {
      hook(*this);
    }
  }
  if (!result_) {
    QEventLoop loop;
    loop_ = &loop;
    loop.exec(QEventLoop::DialogExec);
    loop_ = nullptr;
  }
  return result_.value_or(kIdCancel);
}

void SHostDialog::EndDialog(int result) {
  if (result_) {
    return;
  }
  result_ = result;
  DestroyWindow();
}

void SHostDialog::OnClose() {
  EndDialog(kIdCancel);
}

void SHostDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    OnClose();
    return;
  }
  SHostWnd::keyPressEvent(event);
}

void SHostDialog::OnDestroy() {
  SHostWnd::OnDestroy();
  if (loop_ != nullptr) {
    loop_->quit();
  }
}

}  // namespace keyloom::ui

#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "ui/host/SHostWnd.h"

class QEventLoop;

namespace keyloom::ui {

// A modal host window: Exec creates it, shows it modal to its owner and runs a nested event loop
// until EndDialog, whose result it answers. A close request, or Escape that no control took,
// ends it with kIdCancel (through OnClose).
class SHostDialog : public SHostWnd {
 public:
  static constexpr int kIdOk = 1;
  static constexpr int kIdCancel = 2;
  // Exec's answer when the dialog cannot be created (its layout is missing).
  static constexpr int kExecFailed = -1;

  explicit SHostDialog(QString layoutName);
  ~SHostDialog() override;

  // Creates the dialog owned by `owner` (OnInitDialog runs), centres it over its owner, shows it
  // modal to it (to the whole application without owner) and waits in a nested event loop until
  // EndDialog. A dialog runs once.
  int Exec(QWidget* owner = nullptr);

  // Ends the dialog with `result`: the window is destroyed and Exec returns. Only the first call
  // counts.
  void EndDialog(int result);

  // Called with every dialog that Exec has just shown, before its loop runs; a test sets it to
  // look at the dialog and end it. Answers the previous hook.
  using ExecHook = std::function<void(SHostDialog& dialog)>;
  static ExecHook SetExecHook(ExecHook hook);

  void OnClose() override;
  // A dialog destroyed without EndDialog ends its loop with kIdCancel.
  void OnDestroy() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QEventLoop* loop_ = nullptr;
  std::optional<int> result_;
};

}  // namespace keyloom::ui

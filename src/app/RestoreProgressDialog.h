#pragma once

#include <QDialog>
#include <QString>
#include <cstddef>
#include <functional>
#include <optional>

#include "connection/KeyboardBackup.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace keyloom::app {

// The progress of a restore or a profile copy, modal over the main window: the step being made
// ("Profile 2: F5") with a bar of the steps, and Cancel, which stops the restore before its next
// step (Escape and closing the dialog do the same). The restore runs on the UI thread; between
// steps the dialog keeps the window painting and takes the mouse and the keys, while device
// notifications wait until the restore is over, so that no other sequence runs in between.
// Colours come from the skin.
//
// Tests preset a cancel with SetNextCancelAt: the next dialog presses its own Cancel when it is
// told of that step, so that the steps before it are made and none after.
class RestoreProgressDialog : public QDialog {
 public:
  // Says what a step does, translated.
  using StepText = std::function<QString(const connection::RestoreStep&)>;

  RestoreProgressDialog(QWidget* owner, const QString& title, StepText stepText);

  // The restore's progress callback: shows the step and answers whether to go on.
  [[nodiscard]] connection::RestoreProgressCallback Callback();

  [[nodiscard]] bool Cancelled() const { return cancelled_; }

  // The next dialog cancels before step `index` (0 first).
  static void SetNextCancelAt(std::size_t index);

  void reject() override;

 private:
  bool Show(const connection::RestoreProgress& progress);

  StepText stepText_;
  QLabel* step_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool cancelled_ = false;
  std::optional<std::size_t> cancelAt_;
};

}  // namespace keyloom::app

#include "app/RestoreProgressDialog.h"

#include <QColor>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "app/Language.h"
#include "app/ResponsiveClock.h"
#include "ui/host/SApplication.h"
#include "ui/skin/ColorText.h"

namespace keyloom::app {

namespace {

constexpr const char* kCancelText = "Cancel";
constexpr int kDialogWidth = 420;

std::optional<std::size_t>& NextCancel() {
  static std::optional<std::size_t> next;
  return next;
}

// A colour of the skin as a style sheet writes it; `fallback` without the skin.
QString SkinColor(const char* name, const char* fallback) {
  const ui::SApplication* app = ui::SApplication::Instance();
  const std::optional<QColor> color =
      app != nullptr
          ? ui::ParseColor(app->ResolveValue(QStringLiteral("@color/%1").arg(QLatin1String(name))))
          : std::nullopt;
  return color ? color->name(QColor::HexRgb) : QLatin1String(fallback);
}

QString StyleSheet() {
  return QStringLiteral(
             "QDialog { background: %1; color: %2; }"
             " QLabel { color: %2; }"
             " QProgressBar { background: %3; border: 1px solid %4; border-radius: 4px;"
             " height: 8px; }"
             " QProgressBar::chunk { background: %5; border-radius: 4px; }"
             " QPushButton { background: %3; color: %2; border: 1px solid %4;"
             " border-radius: 8px; padding: 6px 20px; }"
             " QPushButton:hover { border-color: %5; }"
             " QPushButton:disabled { color: %6; }")
      .arg(SkinColor("bg_raised", "#1b212b"), SkinColor("text_strong", "#f2f5fa"),
           SkinColor("bg_input", "#0f131a"), SkinColor("border_strong", "#3a4556"),
           SkinColor("accent", "#22d3ee"), SkinColor("text_disabled", "#515c6c"));
}

}  // namespace

RestoreProgressDialog::RestoreProgressDialog(QWidget* owner, const QString& title,
                                             StepText stepText)
    : QDialog(owner), stepText_(std::move(stepText)), cancelAt_(std::exchange(NextCancel(), {})) {
  setWindowTitle(title);
  setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
  setStyleSheet(StyleSheet());
  setMinimumWidth(kDialogWidth);

  step_ = new QLabel(this);
  bar_ = new QProgressBar(this);
  bar_->setTextVisible(false);
  cancel_ = new QPushButton(Translated(kCancelText), this);
  // Cancel takes its click even while a slot's sequence pauses.
  cancel_->setProperty(ResponsiveClock::kUsableWhileBusy, true);
  connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 20, 24, 20);
  layout->setSpacing(12);
  layout->addWidget(step_);
  layout->addWidget(bar_);
  layout->addLayout(buttons);
}

connection::RestoreProgressCallback RestoreProgressDialog::Callback() {
  return [this](const connection::RestoreProgress& progress) { return Show(progress); };
}

void RestoreProgressDialog::SetNextCancelAt(std::size_t index) {
  NextCancel() = index;
}

void RestoreProgressDialog::reject() {
  cancelled_ = true;
  cancel_->setEnabled(false);
}

bool RestoreProgressDialog::Show(const connection::RestoreProgress& progress) {
  if (!isVisible()) {
    show();
  }
  step_->setText(stepText_(progress.step));
  bar_->setRange(0, static_cast<int>(progress.total));
  bar_->setValue(static_cast<int>(progress.index));
  if (cancelAt_ == progress.index) {
    cancel_->click();
  }
  // Painting, the mouse and the keys; a device notification now would run a sequence of its
  // own between two steps.
  QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
  return !cancelled_;
}

}  // namespace keyloom::app

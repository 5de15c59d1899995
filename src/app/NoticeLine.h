#pragma once

#include <QString>
#include <QStringList>
#include <QTimer>

namespace keyloom::ui {
class SWindow;
}

namespace keyloom::app {

// A line of the main window for the short messages that a desktop without a notification area
// cannot show as balloons. A message stays `shownMs` (kShownMs); one that comes meanwhile joins
// it (the last kMostMessages different ones are shown) and starts the time again. The line is
// hidden otherwise, and its timer runs only while it is shown.
class NoticeLine {
 public:
  static constexpr int kShownMs = 5000;
  static constexpr int kMostMessages = 2;

  explicit NoticeLine(int shownMs = kShownMs);

  // The text control that shows the messages (not owned); null detaches it.
  void Attach(ui::SWindow* line);

  // `text` is shown as it is: translated by the caller. It takes the place of `replacing` (a
  // message that said what was being done) when that is shown.
  void Show(const QString& text, const QString& replacing = QString());

  [[nodiscard]] bool IsShown() const { return timer_.isActive(); }
  // The messages shown now, oldest first; empty while the line is hidden.
  [[nodiscard]] const QStringList& Messages() const { return messages_; }

 private:
  void Hide();

  ui::SWindow* line_ = nullptr;
  QStringList messages_;
  QTimer timer_;
};

}  // namespace keyloom::app

#include "app/NoticeLine.h"

#include "ui/widgets/SWindow.h"

namespace keyloom::app {

namespace {

constexpr QStringView kSeparator = u"  \u00b7  ";

}  // namespace

NoticeLine::NoticeLine(int shownMs) {
  timer_.setSingleShot(true);
  timer_.setInterval(shownMs);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Hide(); });
}

void NoticeLine::Attach(ui::SWindow* line) {
  Hide();
  line_ = line;
  if (line_ != nullptr) {
    line_->setVisible(false);
  }
}

void NoticeLine::Show(const QString& text, const QString& replacing) {
  if (!replacing.isEmpty()) {
    messages_.removeAll(replacing);
  }
  messages_.removeAll(text);
  messages_.append(text);
  while (messages_.size() > kMostMessages) {
    messages_.removeFirst();
  }
  if (line_ != nullptr) {
    line_->SetText(messages_.join(kSeparator));
    line_->setVisible(true);
  }
  timer_.start();
}

void NoticeLine::Hide() {
  timer_.stop();
  messages_.clear();
  if (line_ != nullptr) {
    line_->setVisible(false);
    line_->SetText(QString());
  }
}

}  // namespace keyloom::app

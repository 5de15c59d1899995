// A bare Qt window of the size of keyloom's main window: what start-up costs before any skin,
// layout or control. With KEYLOOM_BARE_WINDOW_TEXT=1 it also draws one line of text, which is
// what loading the system's fonts costs on top. With KEYLOOM_EXIT_AFTER_FIRST_PAINT=1 it reports
// its first paint as keyloom does ("... first paint at N us", N: microseconds since the Unix epoch)
// and ends; otherwise it stays open until closed.
#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>

namespace {

constexpr int kWidth = 1180;
constexpr int kHeight = 720;

class BareWindow : public QWidget {
 public:
  BareWindow() { resize(kWidth, kHeight); }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor(0x12, 0x16, 0x1c));
    if (qEnvironmentVariableIntValue("KEYLOOM_BARE_WINDOW_TEXT") == 1) {
      painter.setPen(Qt::white);
      painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Keyloom"));
    }
    if (painted_ || qEnvironmentVariableIntValue("KEYLOOM_EXIT_AFTER_FIRST_PAINT") != 1) {
      return;
    }
    painted_ = true;
    QTimer::singleShot(0, this, [] {
      const auto now = std::chrono::system_clock::now().time_since_epoch();
      std::fprintf(stderr, "keyloom_bare_window: first paint at %lld us\n",
                   static_cast<long long>(
                       std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
      std::fflush(stderr);
      QCoreApplication::exit(0);
    });
  }

 private:
  bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  BareWindow window;
  window.show();
  return QApplication::exec();
}

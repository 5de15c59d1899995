#include "app/KeyboardControls.h"

#include <cstddef>

#include "ui/host/SHostWnd.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::app {

namespace {

ui::SWindow* FindControl(const ui::SHostWnd* host, const char* name) {
  return host != nullptr ? host->FindChildByName2(QLatin1String(name), ui::SWindow::kClassName)
                         : nullptr;
}

}  // namespace

void KeyboardControls::Attach(const ui::SHostWnd* host) {
  for (std::size_t index = 0; index < kControlNames.size(); ++index) {
    controls_[index] = FindControl(host, kControlNames[index]);
  }
  notice_ = FindControl(host, kNoticeName);
}

void KeyboardControls::Show(bool connected, bool otherNotice) {
  connected_ = connected;
  for (ui::SWindow* control : controls_) {
    if (control != nullptr) {
      control->setEnabled(connected);
    }
  }
  if (notice_ != nullptr) {
    notice_->setVisible(!connected && !otherNotice);
  }
}

}  // namespace keyloom::app

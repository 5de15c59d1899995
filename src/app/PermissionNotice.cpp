#include "app/PermissionNotice.h"

#include <QClipboard>
#include <QGuiApplication>

#include "hid/UdevRule.h"
#include "ui/host/SApplication.h"
#include "ui/host/SHostWnd.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::app {

namespace {

// hidraw nodes; a Windows interface path has no udev rule to blame.
constexpr QLatin1StringView kDeviceFolder("/dev/");
constexpr QChar kChineseFullStop{0x3002};

QString Tr(const char* text) {
  return ui::SApplication::Tr(QString::fromUtf8(text));
}

ui::SWindow* Find(const ui::SHostWnd* host, const char* name) {
  return host != nullptr ? host->FindChildByName2(QLatin1String(name), ui::SWindow::kClassName)
                         : nullptr;
}

void SetShown(ui::SWindow* control, bool shown) {
  if (control != nullptr) {
    control->setVisible(shown);
  }
}

}  // namespace

void PermissionNotice::Attach(const ui::SHostWnd* host) {
  panel_ = Find(host, kPanelName);
  text_ = Find(host, kTextName);
  command_ = Find(host, kCommandName);
  note_ = Find(host, kNoteName);
  copyButton_ = Find(host, kCopyButtonName);
  Hide();
}

void PermissionNotice::Show(const std::string& path) {
  path_ = QString::fromStdString(path);
  shown_ = true;
  Retranslate();
  SetShown(panel_, true);
}

void PermissionNotice::Hide() {
  shown_ = false;
  SetShown(panel_, false);
}

void PermissionNotice::Retranslate() {
  if (!shown_) {
    return;
  }
  const bool udev = path_.startsWith(kDeviceFolder);
  QString text = Tr(kFoundText).arg(path_);
  if (udev) {
    // Chinese sentences follow each other without a space.
    if (!text.endsWith(kChineseFullStop)) {
      text += QLatin1Char(' ');
    }
    text += Tr(kUdevRuleText);
  }
  // The texts are set as they are shown; the translations hold their templates only.
  if (text_ != nullptr) {
    text_->SetText(text);
  }
  if (command_ != nullptr) {
    command_->SetText(udev ? QLatin1String(hid::kApplyUdevRulesCommand) : QString());
  }
  if (note_ != nullptr) {
    note_->SetText(udev ? Tr(kInstallRuleText).arg(QLatin1String(hid::kInstallUdevRuleCommand))
                        : QString());
  }
  SetShown(command_, udev);
  SetShown(copyButton_, udev);
  SetShown(note_, udev);
}

void PermissionNotice::CopyCommand() {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) {
    clipboard->setText(QLatin1String(hid::kApplyUdevRulesCommand));
  }
}

}  // namespace keyloom::app

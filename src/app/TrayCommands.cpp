#include "app/TrayCommands.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <QWidget>
#include <optional>

#include "app/WindowPort.h"
#include "controls/SShellNotifyIcon.h"
#include "ui/host/PopupMenu.h"
#include "ui/host/SApplication.h"
#include "ui/host/SHostWnd.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::app {

namespace {

// The upgrade program's file name, with the platform's suffix for programs.
constexpr const char* kUpgradeProgram = KEYLOOM_UPGRADE_PROGRAM;
// The package's folder of programs of its own; empty where there is none.
constexpr const char* kPackageProgramFolder = KEYLOOM_PACKAGE_PROGRAM_DIR;

// Starts `program` without arguments, in this program's environment and current folder, without
// our standard streams, and waits for it to end. False when it could not be started.
bool RunAndWait(const QString& program) {
  if (program.isEmpty()) {
    return false;
  }
  QProcess process;
  process.setProgram(program);
  // Output that nobody reads would fill a pipe and stall the program, and with it this wait.
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  process.start();
  if (!process.waitForStarted(-1)) {
    return false;
  }
  process.waitForFinished(-1);
  return true;
}

}  // namespace

TrayCommands::TrayCommands(WindowPort& window) : window_(window) {}

void TrayCommands::Attach(const ui::SHostWnd& host) {
  trayIcon_ = host.FindChildByID2<controls::SShellNotifyIcon>(kTrayIconId);
  noticeLine_.Attach(host.FindChildByName2(QLatin1String(kNoticeLine), ui::SWindow::kClassName));
  if (trayIcon_ != nullptr) {
    trayIcon_->SetFallbackMessageSink([this](const QString& text) { noticeLine_.Show(text); });
  }
}

void TrayCommands::Detach() {
  if (trayIcon_ != nullptr) {
    trayIcon_->SetFallbackMessageSink({});
    trayIcon_ = nullptr;
  }
  noticeLine_.Attach(nullptr);
}

void TrayCommands::ShowMessage(const char* text) {
  if (trayIcon_ != nullptr) {
    trayIcon_->ShowBalloon(ui::SApplication::Tr(QString::fromUtf8(text)));
  }
}

void TrayCommands::Tell(const QString& text, const QString& replacing) {
  noticeLine_.Show(text, replacing);
}

void TrayCommands::ShowMoreMenu() {
  const std::optional<ui::PopupMenu> menu = ui::PopupMenu::Load(QLatin1String(kMoreMenu));
  if (menu) {
    window_.ShowMenuUnder(QLatin1String(kMoreButton), *menu);
  }
}

QPoint TrayCommands::MoreMenuPosition(const ui::SWindow& button) {
  const QRect client = button.ClientRect();
  // The bottom edge itself: QRect::bottom() is the last row inside the button.
  return button.mapToGlobal(QPoint(client.left(), client.top() + client.height()));
}

void TrayCommands::OpenMakerPage() {
  const ui::SApplication* app = ui::SApplication::Instance();
  const std::optional<QString> address =
      app != nullptr ? app->GetString(QLatin1String(kMakerUrlString)) : std::nullopt;
  if (address && !address->isEmpty()) {
    QDesktopServices::openUrl(QUrl(*address));
  }
}

void TrayCommands::RunUpgrade() {
  window_.Disconnect();
  const QString program = FindUpgradeProgram();
  window_.Owner()->hide();
  if (!RunAndWait(program)) {
    ShowMessage(kFailedToStartUpgradeText);
  }
  window_.Owner()->show();
  window_.Reconnect();
}

QStringList TrayCommands::UpgradeFolders() const {
  if (!upgradeFolders_.isEmpty()) {
    return upgradeFolders_;
  }
  QStringList folders{QCoreApplication::applicationDirPath()};
  if (*kPackageProgramFolder != '\0') {
    folders.append(QString::fromUtf8(kPackageProgramFolder));
  }
  return folders;
}

QString TrayCommands::FindUpgradeProgram() const {
  for (const QString& folder : UpgradeFolders()) {
    const QFileInfo program(QDir(folder).filePath(QLatin1String(kUpgradeProgram)));
    if (program.isFile() && program.isExecutable()) {
      return program.absoluteFilePath();
    }
  }
  return {};
}

}  // namespace keyloom::app

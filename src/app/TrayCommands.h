#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>

#include "app/NoticeLine.h"

namespace keyloom::controls {
class SShellNotifyIcon;
}

namespace keyloom::ui {
class SHostWnd;
class SWindow;
}  // namespace keyloom::ui

namespace keyloom::app {

class WindowPort;

// The main window's housekeeping: the "more" menu, the maker's web page, the upgrade program,
// and short messages as balloons of the tray icon (id 110). Where the desktop has no
// notification area, the messages appear on the window's notice line instead.
class TrayCommands {
 public:
  // Commands of the menus (as OnCommand ids with notification code 0).
  static constexpr int kCommandUpgrade = 1;
  static constexpr int kCommandExit = 6;
  // The tray icon is looked up by id.
  static constexpr int kTrayIconId = 110;

  static constexpr const char* kMoreMenu = "SMENUEX:menu_more";
  static constexpr const char* kMoreButton = "btn_more";
  static constexpr const char* kNoticeLine = "notice";
  // The skin's named string with the address of the maker's web page.
  static constexpr const char* kMakerUrlString = "maker_url";
  static constexpr const char* kFailedToStartUpgradeText = "Failed to start the upgrade exe";

  explicit TrayCommands(WindowPort& window);

  TrayCommands(const TrayCommands&) = delete;
  TrayCommands& operator=(const TrayCommands&) = delete;

  // Finds the tray icon and the notice line in `host` (the main window) and sends the messages
  // that find no tray to the line; Detach lets go of both (the window is being destroyed).
  void Attach(const ui::SHostWnd& host);
  void Detach();

  // Shows `text` (as the code gives it; shown translated) as a balloon of the tray icon, else on
  // the notice line. Without a tray icon in the layout the message is dropped.
  void ShowMessage(const char* text);
  // Shows `text` (translated) on the notice line, tray or not: the answer to what the user just
  // did in the window; in place of `replacing`, when that is shown (see NoticeLine::Show).
  void Tell(const QString& text, const QString& replacing = QString());

  // Pops up the "more" menu under "btn_more", its top-left corner at the button's bottom-left.
  void ShowMoreMenu();
  // Where ShowMoreMenu puts the menu, in screen coordinates.
  [[nodiscard]] static QPoint MoreMenuPosition(const ui::SWindow& button);

  // Opens the maker's web page in the desktop's browser; without the address nothing happens.
  static void OpenMakerPage();

  // Hands over to the upgrade program: closes the keyboard ("Disconnected"), hides the window,
  // runs the program without arguments and waits for it to end however long it takes (the
  // window does not answer meanwhile), shows the window again and reopens the keyboard (without
  // reading its profile again). A program that cannot be started shows
  // kFailedToStartUpgradeText.
  void RunUpgrade();
  // Where the upgrade program is looked for, in this order: the executable's folder, then the
  // package's folder of programs of its own (<prefix>/lib/keyloom, not on Windows), unless set.
  // The PATH is never searched: another program named "update" is no upgrade.
  void SetUpgradeFolders(const QStringList& folders) { upgradeFolders_ = folders; }
  [[nodiscard]] QStringList UpgradeFolders() const;
  // The upgrade program, "update" ("update.exe" on Windows), in the first of those folders that
  // holds one that this user may run; empty when none does. The menus offer the upgrade only
  // then.
  [[nodiscard]] QString FindUpgradeProgram() const;

  [[nodiscard]] const NoticeLine& GetNoticeLine() const { return noticeLine_; }

 private:
  WindowPort& window_;
  controls::SShellNotifyIcon* trayIcon_ = nullptr;
  NoticeLine noticeLine_;
  QStringList upgradeFolders_;
};

}  // namespace keyloom::app

#pragma once

#include <QString>

#include "app/CMainDlg.h"
#include "app/LaunchOptions.h"

namespace keyloom::app {

// What --screenshot and the dialog's screenshot option do once the main window is shown; each
// ends the message loop with the screenshot's status (kExitUsage when the PNG cannot be written).

// Saves the main window to `file` once the loop runs.
void ScheduleWindowScreenshot(CMainDlg& mainDlg, const QString& file);
// Clicks the key on the main window's keyboard picture once the loop runs, saves the key
// assignment dialog that opens and cancels it.
void ScheduleDialogScreenshot(CMainDlg& mainDlg, const LaunchOptions::DialogScreenshot& shot);

}  // namespace keyloom::app

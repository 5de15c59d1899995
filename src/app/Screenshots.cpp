#include "app/Screenshots.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "app/CommandLine.h"
#include "controls/ICoordButtonClickListener.h"
#include "controls/STabCtrl2.h"
#include "macro_dialog/MacroRecordDlg.h"
#include "ui/host/SHostDialog.h"

namespace keyloom::app {

namespace {

int SaveScreenshot(QWidget& window, const QString& file) {
  const QPixmap picture = window.grab();
  if (!picture.save(file, "PNG")) {
    std::fprintf(stderr, "%s: cannot write the screenshot %s\n", kProgramName,
                 qPrintable(QDir::toNativeSeparators(file)));
    return kExitUsage;
  }
  return kExitOk;
}

}  // namespace

void ScheduleWindowScreenshot(CMainDlg& mainDlg, const QString& file) {
  // The window owns the timer.
  auto* timer = new QTimer(&mainDlg);
  timer->setSingleShot(true);
  QObject::connect(timer, &QTimer::timeout, &mainDlg,
                   [&mainDlg, file] { QCoreApplication::exit(SaveScreenshot(mainDlg, file)); });
  timer->start(0);
}

void ScheduleDialogScreenshot(CMainDlg& mainDlg, const LaunchOptions::DialogScreenshot& shot) {
  QTimer::singleShot(0, &mainDlg, [&mainDlg, shot] {
    int status = kExitNoMainWindow;
    const ui::SHostDialog::ExecHook previous =
        ui::SHostDialog::SetExecHook([&status, &shot](ui::SHostDialog& dialog) {
          auto* pages = dialog.FindChildByName2<controls::STabCtrl2>(
              QStringLiteral("tab_macro_mode_selection"));
          if (shot.page && pages != nullptr) {
            pages->SetCurSel(*shot.page);
          }
          status = SaveScreenshot(dialog, shot.file);
          dialog.EndDialog(macro::MacroRecordDlg::kResultCancel);
        });
    for (const int event : {controls::ICoordButtonClickListener::kEventPress,
                            controls::ICoordButtonClickListener::kEventRelease}) {
      mainDlg.OnCoordButtonClick(shot.keyCode, shot.keyName, event, 0, 0, 0);
    }
    ui::SHostDialog::SetExecHook(previous);
    QCoreApplication::exit(status);
  });
}

}  // namespace keyloom::app

#include "macro_dialog/FileDialogs.h"

#include <QFileDialog>
#include <utility>

#include "macro/MacroLibrary.h"
#include "ui/host/SApplication.h"

namespace keyloom::macro {

namespace {

std::optional<QString>& NextFileName() {
  static std::optional<QString> next;
  return next;
}

QString Filter() {
  return QStringLiteral("%1 (%2)").arg(
      ui::SApplication::Tr(QString::fromUtf8(FileDialogs::kFilterLabel)),
      QLatin1String(FileDialogs::kFilterPattern));
}

template <class Ask>
std::optional<std::filesystem::path> Choose(Ask ask) {
  QString chosen = NextFileName() ? *std::exchange(NextFileName(), std::nullopt) : ask();
  if (chosen.isEmpty()) {
    return std::nullopt;
  }
  return std::filesystem::path(chosen.toStdU16String());
}

}  // namespace

std::optional<std::filesystem::path> FileDialogs::GetOpenFileName(QWidget* owner) {
  std::optional<std::filesystem::path> file = Choose(
      [owner] { return QFileDialog::getOpenFileName(owner, QString(), QString(), Filter()); });
  if (file && !MacroLibrary::IsMacroFileName(*file)) {
    return std::nullopt;
  }
  return file;
}

std::optional<std::filesystem::path> FileDialogs::GetSaveFileName(QWidget* owner) {
  return Choose([owner] {
    QFileDialog dialog(owner, QString(), QString(), Filter());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromLatin1(kMacroFileSuffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
      return QString();
    }
    return dialog.selectedFiles().front();
  });
}

void FileDialogs::SetNextFileName(const QString& fileName) {
  NextFileName() = fileName;
}

}  // namespace keyloom::macro

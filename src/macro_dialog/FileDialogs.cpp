#include "macro_dialog/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <utility>

#include "macro/MacroLibrary.h"
#include "ui/host/SApplication.h"

namespace keyloom::macro {

namespace {

std::optional<QString>& NextFileName() {
  static std::optional<QString> next;
  return next;
}

QString& LastFolder() {
  static QString last;
  return last;
}

QString Filter() {
  return QStringLiteral("%1 (%2)").arg(
      ui::SApplication::Tr(QString::fromUtf8(FileDialogs::kFilterLabel)),
      QLatin1String(FileDialogs::kFilterPattern));
}

template <class Ask>
std::optional<std::filesystem::path> Choose(const QString& folder, Ask ask) {
  LastFolder() = FileDialogs::StartFolder(folder);
  QString chosen =
      NextFileName() ? *std::exchange(NextFileName(), std::nullopt) : ask(LastFolder());
  if (chosen.isEmpty()) {
    return std::nullopt;
  }
  return std::filesystem::path(chosen.toStdU16String());
}

}  // namespace

std::optional<std::filesystem::path> FileDialogs::GetOpenFileName(QWidget* owner,
                                                                  const QString& folder) {
  std::optional<std::filesystem::path> file = Choose(folder, [owner](const QString& start) {
    return QFileDialog::getOpenFileName(owner, QString(), start, Filter());
  });
  if (file && !MacroLibrary::IsMacroFileName(*file)) {
    return std::nullopt;
  }
  return file;
}

std::optional<std::filesystem::path> FileDialogs::GetSaveFileName(QWidget* owner,
                                                                  const QString& folder) {
  return Choose(folder, [owner](const QString& start) {
    QFileDialog dialog(owner, QString(), start, Filter());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromLatin1(kMacroFileSuffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
      return QString();
    }
    return dialog.selectedFiles().front();
  });
}

QString FileDialogs::StartFolder(const QString& remembered) {
  if (!remembered.isEmpty() && QFileInfo(remembered).isDir()) {
    return remembered;
  }
  QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QFileInfo(documents).isDir()) {
    return documents;
  }
  return QDir::homePath();
}

void FileDialogs::SetNextFileName(const QString& fileName) {
  NextFileName() = fileName;
}

QString FileDialogs::LastStartFolder() {
  return LastFolder();
}

}  // namespace keyloom::macro

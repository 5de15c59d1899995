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
  std::filesystem::path file(chosen.toStdU16String());
  if (!MacroLibrary::IsMacroFileName(file)) {
    return std::nullopt;
  }
  return file;
}

}  // namespace

std::optional<std::filesystem::path> FileDialogs::GetOpenFileName(QWidget* owner) {
  return Choose(
      [owner] { return QFileDialog::getOpenFileName(owner, QString(), QString(), Filter()); });
}

std::optional<std::filesystem::path> FileDialogs::GetSaveFileName(QWidget* owner) {
  return Choose(
      [owner] { return QFileDialog::getSaveFileName(owner, QString(), QString(), Filter()); });
}

void FileDialogs::SetNextFileName(const QString& fileName) {
  NextFileName() = fileName;
}

}  // namespace keyloom::macro

#pragma once

#include <QString>
#include <filesystem>
#include <optional>

class QWidget;

namespace keyloom::macro {

// The system's file dialogs for the macro files (".mcr"): the filter "mcr文件(mcr)" (shown
// translated) with the pattern "*.mcr", owned by `owner`, the current folder left as it is. They
// open in StartFolder(`folder`), where `folder` is the folder the user took a macro file from or
// saved one to last (the caller remembers it). A cancelled dialog gives nullopt. The open dialog
// hands back only a name whose text after its last "." is exactly "mcr"
// (MacroLibrary::IsMacroFileName). The save dialog adds ".mcr" to a name typed without an
// extension ("backup" is "backup.mcr") and hands back any other name as it is, for the export
// to refuse and say why.
//
// Tests preset the next answer with SetNextFileName: the next dialog then shows nothing and
// answers with that name as if the user had chosen it (an empty name: cancelled).
// LastStartFolder tells where the last dialog opened, or would have.
class FileDialogs {
 public:
  // The filter's label, as the program gives it to the translator.
  static constexpr const char* kFilterLabel = "mcr文件(mcr)";
  static constexpr const char* kFilterPattern = "*.mcr";
  // What the save dialog adds to a name typed without an extension.
  static constexpr const char* kMacroFileSuffix = "mcr";

  // A macro file to read.
  [[nodiscard]] static std::optional<std::filesystem::path> GetOpenFileName(QWidget* owner,
                                                                            const QString& folder);
  // A macro file to write; the dialog asks before an existing file is overwritten.
  [[nodiscard]] static std::optional<std::filesystem::path> GetSaveFileName(QWidget* owner,
                                                                            const QString& folder);

  // Where the dialogs open: `remembered` while it is a folder, else the user's documents
  // folder, else their home folder. Never the program's own folders, which an installed
  // program cannot write to.
  [[nodiscard]] static QString StartFolder(const QString& remembered);

  static void SetNextFileName(const QString& fileName);
  [[nodiscard]] static QString LastStartFolder();
};

}  // namespace keyloom::macro

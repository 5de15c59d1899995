#pragma once

#include <QString>
#include <string>

#include "storage/EditResult.h"
#include "storage/FileResult.h"

namespace keyloom::ui {
class SHostWnd;
class SStatic;
}  // namespace keyloom::ui

namespace keyloom::macro {

// The key assignment dialog's line on its files ("text_file_problem"). It keeps what went wrong
// and shows the one thing that matters most, translated by the control, its details as tooltip,
// and hides itself while nothing is wrong:
// - a save of the library or of the store that failed ("Your changes could not be saved."),
//   first, since those changes are lost when the dialog closes; each file's failure lasts until
//   a save of that file works;
// - else the problem last noted with a file the user had read, imported or exported, or with a
//   name given in the dialog.
// Nothing is shown before Bind or after Unbind; what is noted meanwhile is kept.
class FileProblemLine {
 public:
  // Finds the line in `window`; without it nothing is ever shown.
  void Bind(const ui::SHostWnd& window);
  void Unbind() { line_ = nullptr; }

  // A save of the library; an edit that changed nothing saved nothing and counts for nothing.
  void NoteLibrarySave(const storage::EditResult& edit);
  void NoteLibrarySave(const storage::FileResult& saved);
  void NoteStoreSave(const storage::FileResult& saved);
  // A file that could not be read, imported or exported, with `text` the untranslated text to
  // show; `text` null: there is none any more.
  void NoteProblem(const char* text, const std::string& details);
  // The problem noted last is over when it was noted with `text`.
  void ForgetProblem(const char* text);

 private:
  void Show();

  ui::SStatic* line_ = nullptr;
  // The details of the problems noted; empty: none.
  QString libraryProblem_;
  QString storeProblem_;
  const char* problemText_ = nullptr;
  QString problem_;
};

}  // namespace keyloom::macro

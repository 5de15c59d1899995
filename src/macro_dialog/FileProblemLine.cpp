#include "macro_dialog/FileProblemLine.h"

#include <QLatin1StringView>

#include "ui/host/SHostWnd.h"
#include "ui/widgets/SStatic.h"

namespace keyloom::macro {

namespace {

constexpr QLatin1StringView kProblemLine("text_file_problem");

constexpr const char* kNotSavedText = "Your changes could not be saved.";

QString Details(const storage::FileResult& saved) {
  return saved.ok() ? QString() : QString::fromStdString(saved.error());
}

}  // namespace

void FileProblemLine::Bind(const ui::SHostWnd& window) {
  line_ = window.FindChildByName2<ui::SStatic>(kProblemLine);
}

void FileProblemLine::NoteLibrarySave(const storage::EditResult& edit) {
  if (edit.changed) {
    NoteLibrarySave(edit.saved);
  }
}

void FileProblemLine::NoteLibrarySave(const storage::FileResult& saved) {
  libraryProblem_ = Details(saved);
  Show();
}

void FileProblemLine::NoteStoreSave(const storage::FileResult& saved) {
  storeProblem_ = Details(saved);
  Show();
}

void FileProblemLine::NoteProblem(const char* text, const std::string& details) {
  problemText_ = text;
  problem_ = QString::fromStdString(details);
  Show();
}

void FileProblemLine::ForgetProblem(const char* text) {
  if (problemText_ == text) {
    NoteProblem(nullptr, {});
  }
}

void FileProblemLine::Show() {
  if (line_ == nullptr) {
    return;
  }
  const char* text = kNotSavedText;
  QString details = !libraryProblem_.isEmpty() ? libraryProblem_ : storeProblem_;
  if (details.isEmpty() && problemText_ != nullptr) {
    text = problemText_;
    details = problem_;
  }
  line_->setVisible(!details.isEmpty());
  line_->SetText(details.isEmpty() ? QString() : QLatin1String(text));
  line_->SetToolTipText(details);
}

}  // namespace keyloom::macro

#include "ui/host/SMessageBox.h"

#include <QMessageBox>
#include <QPushButton>
#include <deque>
#include <utility>

#include "ui/host/MessageBoxDialog.h"
#include "ui/host/SApplication.h"

namespace keyloom::ui {

namespace {

struct Presets {
  std::deque<int> answers;
  std::vector<SMessageBox::Question> questions;
};

Presets& CurrentPresets() {
  static Presets presets;
  return presets;
}

QMessageBox::Icon PlatformIcon(MessageBoxIcon icon) {
  switch (icon) {
    case MessageBoxIcon::kInformation:
      return QMessageBox::Information;
    case MessageBoxIcon::kQuestion:
      return QMessageBox::Question;
    case MessageBoxIcon::kWarning:
      return QMessageBox::Warning;
    case MessageBoxIcon::kError:
      return QMessageBox::Critical;
    case MessageBoxIcon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

// The box of the platform, for a skin without message box layout.
int ShowPlatformBox(QWidget* owner, const SMessageBox::Question& question) {
  QMessageBox box(PlatformIcon(question.icon), SApplication::Tr(question.caption),
                  SApplication::Tr(question.text), QMessageBox::NoButton, owner);
  const auto add = [&box](const char* text, QMessageBox::ButtonRole role, int answer) {
    box.addButton(SApplication::Tr(QString::fromLatin1(text)), role)->setProperty("answer", answer);
  };
  switch (question.buttons) {
    case MessageBoxButtons::kOk:
      add("OK", QMessageBox::AcceptRole, SMessageBox::kIdOk);
      break;
    case MessageBoxButtons::kOkCancel:
      add("OK", QMessageBox::AcceptRole, SMessageBox::kIdOk);
      add("Cancel", QMessageBox::RejectRole, SMessageBox::kIdCancel);
      break;
    case MessageBoxButtons::kYesNo:
      add("Yes", QMessageBox::YesRole, SMessageBox::kIdYes);
      add("No", QMessageBox::NoRole, SMessageBox::kIdNo);
      break;
    case MessageBoxButtons::kYesNoCancel:
      add("Yes", QMessageBox::YesRole, SMessageBox::kIdYes);
      add("No", QMessageBox::NoRole, SMessageBox::kIdNo);
      add("Cancel", QMessageBox::RejectRole, SMessageBox::kIdCancel);
      break;
  }
  box.exec();
  const QAbstractButton* clicked = box.clickedButton();
  return clicked != nullptr ? clicked->property("answer").toInt()
                            : SMessageBox::CloseAnswer(question.buttons);
}

}  // namespace

int SMessageBox::Show(QWidget* owner, const QString& text, const QString& caption,
                      MessageBoxButtons buttons, MessageBoxIcon icon) {
  Question question{caption, text, buttons, icon};
  Presets& presets = CurrentPresets();
  if (!presets.answers.empty()) {
    const int answer = presets.answers.front();
    presets.answers.pop_front();
    presets.questions.push_back(std::move(question));
    return answer;
  }
  MessageBoxDialog dialog(question);
  const int answer = dialog.Exec(owner);
  return answer != SHostDialog::kExecFailed ? answer : ShowPlatformBox(owner, question);
}

void SMessageBox::SetNextAnswer(int answer) {
  CurrentPresets().answers.push_back(answer);
}

void SMessageBox::ClearNextAnswers() {
  CurrentPresets().answers.clear();
}

std::vector<SMessageBox::Question> SMessageBox::TakeQuestions() {
  return std::exchange(CurrentPresets().questions, {});
}

int SMessageBox::CloseAnswer(MessageBoxButtons buttons) {
  switch (buttons) {
    case MessageBoxButtons::kOk:
      return kIdOk;
    case MessageBoxButtons::kYesNo:
      return kIdNo;
    case MessageBoxButtons::kOkCancel:
    case MessageBoxButtons::kYesNoCancel:
      break;
  }
  return kIdCancel;
}

}  // namespace keyloom::ui

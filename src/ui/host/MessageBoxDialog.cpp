#include "ui/host/MessageBoxDialog.h"

#include <array>
#include <cstddef>
#include <utility>

#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/SApplication.h"
#include "ui/widgets/SImageWnd.h"

namespace keyloom::ui {

namespace {

struct BoxButton {
  const char* text;
  int answer;
};

// The buttons from the first on; an empty text leaves the button hidden.
std::array<BoxButton, 3> ButtonsOf(MessageBoxButtons buttons) {
  switch (buttons) {
    case MessageBoxButtons::kOkCancel:
      return {{{"OK", SMessageBox::kIdOk}, {"Cancel", SMessageBox::kIdCancel}, {"", 0}}};
    case MessageBoxButtons::kYesNo:
      return {{{"Yes", SMessageBox::kIdYes}, {"No", SMessageBox::kIdNo}, {"", 0}}};
    case MessageBoxButtons::kYesNoCancel:
      return {{{"Yes", SMessageBox::kIdYes},
               {"No", SMessageBox::kIdNo},
               {"Cancel", SMessageBox::kIdCancel}}};
    case MessageBoxButtons::kOk:
      break;
  }
  return {{{"OK", SMessageBox::kIdOk}, {"", 0}, {"", 0}}};
}

constexpr std::array<const char*, 3> kButtonNames = {"button1st", "button2nd", "button3rd"};

}  // namespace

MessageBoxDialog::MessageBoxDialog(SMessageBox::Question question)
    : SHostDialog(QString::fromLatin1(kLayoutName)), question_(std::move(question)) {}

void MessageBoxDialog::OnInitDialog() {
  if (SWindow* title = FindChildByName(QStringLiteral("msgtitle"))) {
    title->SetText(question_.caption);
  }
  if (SWindow* text = FindChildByName(QStringLiteral("msgtext"))) {
    text->SetText(question_.text);
  }
  if (SWindow* icon = FindChildByName(QStringLiteral("msgicon"))) {
    icon->setVisible(question_.icon != MessageBoxIcon::kNone);
    if (auto* image = dynamic_cast<SImageWnd*>(icon)) {
      image->SetIconIndex(static_cast<int>(question_.icon));
    }
  }
  const std::array<BoxButton, 3> buttons = ButtonsOf(question_.buttons);
  for (std::size_t index = 0; index < buttons.size(); ++index) {
    if (SWindow* button = FindChildByName(QString::fromLatin1(kButtonNames[index]))) {
      button->SetText(QString::fromLatin1(buttons[index].text));
      button->setVisible(buttons[index].answer != 0);
    }
  }
  setWindowTitle(SApplication::Tr(question_.caption));
}

void MessageBoxDialog::OnEvent(EventArgs& args) {
  if (args.eventId != kEventCommand) {
    return;
  }
  const std::array<BoxButton, 3> buttons = ButtonsOf(question_.buttons);
  for (std::size_t index = 0; index < buttons.size(); ++index) {
    if (args.senderName == QLatin1String(kButtonNames[index]) && buttons[index].answer != 0) {
      args.handled = true;
      EndDialog(buttons[index].answer);
      return;
    }
  }
}

void MessageBoxDialog::OnClose() {
  EndDialog(SMessageBox::CloseAnswer(question_.buttons));
}

}  // namespace keyloom::ui

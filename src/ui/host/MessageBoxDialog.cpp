#include "ui/host/MessageBoxDialog.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/SApplication.h"
#include "ui/layout/LayoutPos.h"
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

// Room beside a button's text, on each side.
constexpr int kButtonTextMargin = 20;
// Between buttons, when the layout has only one.
constexpr int kButtonGap = 8;

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
      button->SetText(
          SMessageBox::ButtonText(question_, static_cast<int>(index), buttons[index].text));
      button->setVisible(buttons[index].answer != 0);
    }
  }
  setWindowTitle(SApplication::Tr(question_.caption));
  FitButtons();
}

void MessageBoxDialog::FitButtons() {
  std::vector<SWindow*> shown;
  for (const char* name : kButtonNames) {
    SWindow* button = FindChildByName(QString::fromLatin1(name));
    if (button != nullptr && !button->isHidden()) {
      shown.push_back(button);
    }
  }
  if (shown.empty() || shown.front()->GetParentWindow() == nullptr) {
    return;
  }
  const QRect client = shown.front()->GetParentWindow()->ClientRect();
  // The buttons run from the right edge leftwards (the first one right), or the other way.
  const bool leftwards =
      shown.size() < 2 || shown[1]->geometry().center().x() < shown[0]->geometry().center().x();
  const int gap = shown.size() < 2 ? kButtonGap
                  : leftwards      ? shown[0]->geometry().left() - shown[1]->geometry().right() - 1
                                   : shown[1]->geometry().left() - shown[0]->geometry().right() - 1;
  int edge = leftwards ? shown.front()->geometry().right() + 1 : shown.front()->geometry().left();
  for (SWindow* button : shown) {
    const QRect place = button->geometry();
    const int width =
        std::max(place.width(), button->fontMetrics().horizontalAdvance(button->GetDisplayText()) +
                                    2 * kButtonTextMargin);
    const int left = leftwards ? edge - width : edge;
    const std::optional<LayoutPos> pos =
        LayoutPos::Parse(QStringLiteral("-%1,%2,@%3,@%4")
                             .arg(client.x() + client.width() - left)
                             .arg(place.top() - client.y())
                             .arg(width)
                             .arg(place.height()));
    if (pos) {
      button->SetPos(*pos);
    }
    edge = leftwards ? left - std::max(0, gap) : left + width + std::max(0, gap);
  }
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

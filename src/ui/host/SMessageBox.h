#pragma once

#include <QString>
#include <vector>

class QWidget;

namespace keyloom::ui {

// The buttons of a message box and the answers they give.
enum class MessageBoxButtons { kOk, kOkCancel, kYesNo, kYesNoCancel };

// The icon of a message box: the state of the skin of its "msgicon" control.
enum class MessageBoxIcon { kNone = -1, kInformation = 0, kQuestion = 1, kWarning = 2, kError = 3 };

// Message boxes built from the skin's layout "LAYOUT:SYS_XML_MSGBOX": its controls "msgtitle"
// (the caption), "msgicon" (hidden without icon), "msgtext" (the text) and "button1st",
// "button2nd", "button3rd" (in the order OK, Cancel or Yes, No, Cancel; unused ones hidden).
// Without that layout a plain box of the platform asks instead. Caption, text and button texts
// are translated.
//
// Tests preset answers with SetNextAnswer: the next boxes then show nothing and answer at once,
// and what they would have asked is kept for TakeQuestions.
class SMessageBox {
 public:
  static constexpr int kIdOk = 1;
  static constexpr int kIdCancel = 2;
  static constexpr int kIdYes = 6;
  static constexpr int kIdNo = 7;

  struct Question {
    QString caption;
    QString text;
    MessageBoxButtons buttons = MessageBoxButtons::kOk;
    MessageBoxIcon icon = MessageBoxIcon::kNone;
  };

  // Asks modally, over `owner`, and answers the id of the button pressed. Closing the box
  // answers Cancel, or OK for a box with only OK, or No for Yes/No.
  static int Show(QWidget* owner, const QString& text, const QString& caption,
                  MessageBoxButtons buttons = MessageBoxButtons::kOk,
                  MessageBoxIcon icon = MessageBoxIcon::kNone);

  // Queues the answer of the next box that is asked.
  static void SetNextAnswer(int answer);
  static void ClearNextAnswers();
  // The questions answered from the queue so far, oldest first; the list is emptied.
  static std::vector<Question> TakeQuestions();

  // The answer of closing a box with these buttons.
  [[nodiscard]] static int CloseAnswer(MessageBoxButtons buttons);
};

}  // namespace keyloom::ui

#include "app/KeyAssignmentFlow.h"

#include <cstdint>
#include <optional>

#include "controls/ICoordButtonClickListener.h"
#include "protocol/KeyAssignmentRecord.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/UserTexts.h"
#include "ui/host/SMessageBox.h"

namespace keyloom::app {

namespace {

// Profile indices above this one are not the keyboard's; the key goes to the first profile.
constexpr int kLastProfileIndex = 2;

}  // namespace

bool KeyAssignmentFlow::OnCoordButtonClick(Context& context, int id, const QString& name,
                                           int event) {
  if (event != controls::ICoordButtonClickListener::kEventRelease) {
    return false;
  }
  protocol::KeyboardState& keyboard = context.keyboard;
  if (keyboard.profileIndex > kLastProfileIndex) {
    keyboard.profileIndex = 0;
  }
  context.selectedKeys[static_cast<std::uint8_t>(static_cast<std::uint32_t>(id) & 0xFFU)] =
      name.toStdString();

  protocol::KeyAssignmentRecord record;
  int result = macro::MacroRecordDlg::kResultCancel;
  {
    // The dialog tells how many macro slots the profile has left.
    macro::MacroRecordDlg::Environment environment = context.dialog;
    environment.keyboard = &keyboard;
    macro::MacroRecordDlg dialog(context.selectedKeys, record, environment);
    result = dialog.Exec(context.owner);
  }

  std::optional<protocol::AssignmentResult> sent;
  const bool removal = result == macro::MacroRecordDlg::kResultDelete;
  if (result == macro::MacroRecordDlg::kResultOk) {
    sent = context.keyboardConnection.Assign(keyboard, context.profileEntry, record,
                                             context.selectedKeys);
  } else if (removal && !context.selectedKeys.empty()) {
    sent = context.keyboardConnection.Delete(keyboard, context.profileEntry, record,
                                             context.selectedKeys);
  }
  if (sent && sent->outcome == protocol::AssignmentOutcome::kNoSpace) {
    ui::SMessageBox::Show(context.owner, QString::fromUtf8(protocol::kInsufficientSpaceText),
                          QString::fromUtf8(protocol::kWarningCaption), ui::MessageBoxButtons::kOk,
                          ui::MessageBoxIcon::kWarning);
  } else if (const char* text = sent ? OutcomeText(*sent, removal) : nullptr;
             text != nullptr && context.tell) {
    context.tell(text);
  }
  if (context.markAssignedKeys) {
    context.markAssignedKeys();
  }
  context.selectedKeys.clear();
  return false;
}

const char* KeyAssignmentFlow::OutcomeText(const protocol::AssignmentResult& result, bool removal) {
  using protocol::AssignmentOutcome;
  switch (result.outcome) {
    case AssignmentOutcome::kDone:
    case AssignmentOutcome::kNoSpace:
    case AssignmentOutcome::kNothingToAssign:
      return nullptr;
    case AssignmentOutcome::kSlotsUnknown:
      return kSlotsUnknownText;
    case AssignmentOutcome::kNotTaken:
    case AssignmentOutcome::kRejected:
      return removal ? kNotRemovedText : kNotTakenText;
    case AssignmentOutcome::kUnconfirmed:
      return kUnconfirmedText;
  }
  return nullptr;
}

}  // namespace keyloom::app

#include "app/KeyAssignmentFlow.h"

#include <cstdint>
#include <optional>

#include "app/KeyDescriptions.h"
#include "app/Language.h"
#include "app/WindowPort.h"
#include "controls/ICoordButtonClickListener.h"
#include "keymap/KeyContent.h"
#include "keymap/KeyMap.h"
#include "protocol/KeyNameTable.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/UserTexts.h"
#include "ui/host/SApplication.h"
#include "ui/host/SMessageBox.h"

namespace keyloom::app {

namespace {

// Profile indices above this one are not the keyboard's; the key goes to the first profile.
constexpr int kLastProfileIndex = 2;

// What the window tells when OK found nothing to assign on the dialog's page.
const char* NothingChosenText(int page) {
  switch (page) {
    case macro::MacroRecordDlg::kSingleKeyPage:
      return KeyAssignmentFlow::kPressKeyText;
    case macro::MacroRecordDlg::kMediaKeyPage:
    case macro::MacroRecordDlg::kFunctionKeyPage:
      return KeyAssignmentFlow::kChooseEntryText;
    default:
      break;
  }
  return KeyAssignmentFlow::kChooseMacroText;
}

// The name the window gives what the key now does: the macro's own, the catalogue entry's
// translated, or the key's; empty when not known.
QString ChoiceName(const keymap::KeyContent& content) {
  if (content.kind == keymap::ContentKind::kSingleKey) {
    return QString::fromStdString(protocol::UsageName(content.target));
  }
  return QString::fromStdString(ShownContent(content).name);
}

QStringList DoneTexts(const protocol::AssignmentResult& result, bool removal,
                      const QString& keyName, const macro::MacroRecordDlg::Choice& choice) {
  if (removal) {
    return {Translated(result.half ? KeyAssignmentFlow::kRemovedText
                                   : KeyAssignmentFlow::kHadNothingText)
                .arg(keyName)};
  }
  QStringList texts;
  const QString name = choice.content ? ChoiceName(*choice.content) : QString();
  if (name.isEmpty()) {
    texts.append(Translated(KeyAssignmentFlow::kAssignedText).arg(keyName));
  } else {
    const bool plays = keymap::HalfOf(choice.content->kind) == protocol::KeySlotTable::Half::kMacro;
    texts.append(Translated(plays ? KeyAssignmentFlow::kPlaysText : KeyAssignmentFlow::kSendsText)
                     .arg(keyName, name));
  }
  if (choice.shortened) {
    texts.append(Translated(KeyAssignmentFlow::kShortenedText));
  }
  return texts;
}

}  // namespace

bool KeyAssignmentFlow::OnCoordButtonClick(Context& context, int id, const QString& name,
                                           int event) {
  if (event != controls::ICoordButtonClickListener::kEventRelease) {
    return false;
  }
  connection::KeyboardConnection& connection = context.keyboardConnection;
  const protocol::KeyboardState& keyboard = connection.State();
  const int profileIndex = keyboard.profileIndex > kLastProfileIndex ? 0 : keyboard.profileIndex;
  const protocol::SelectedKeys keys{
      {static_cast<std::uint8_t>(static_cast<std::uint32_t>(id) & 0xFFU), name.toStdString()}};

  int result = macro::MacroRecordDlg::kResultCancel;
  macro::MacroRecordDlg::Choice choice;
  {
    // The dialog tells how many macro slots the profile has left.
    macro::MacroRecordDlg::Environment environment = context.dialog;
    environment.keyboard = &keyboard;
    // The dialog opens on what the key does now, when the key map knows it.
    std::optional<keymap::KeyContent> current;
    if (keyboard.slotsWhole) {
      for (const keymap::SlotAssignment& assignment : connection.KeyMap().AssignmentsOfKey(
               profileIndex, keyboard.slots, static_cast<std::uint8_t>(id))) {
        if (assignment.content.kind != keymap::ContentKind::kUnknown) {
          current = assignment.content;
          break;
        }
      }
    }
    environment.current = current ? &*current : nullptr;
    macro::MacroRecordDlg dialog(keys, environment);
    result = dialog.Exec(context.window.Owner());
    choice = dialog.Chosen();
  }

  std::optional<protocol::AssignmentResult> sent;
  const bool removal = result == macro::MacroRecordDlg::kResultDelete;
  if (result == macro::MacroRecordDlg::kResultOk) {
    // Nothing chosen assigns nothing: the connection answers so without sending.
    sent = connection.Assign(profileIndex, context.profileEntry,
                             choice.content.value_or(keymap::KeyContent{}), keys);
  } else if (removal) {
    sent = connection.Delete(profileIndex, context.profileEntry, keys);
  }
  if (sent && sent->outcome == protocol::AssignmentOutcome::kNoSpace) {
    ui::SMessageBox::Show(context.window.Owner(),
                          QString::fromUtf8(protocol::kInsufficientSpaceText),
                          QString::fromUtf8(protocol::kWarningCaption), ui::MessageBoxButtons::kOk,
                          ui::MessageBoxIcon::kWarning);
  } else if (sent) {
    for (const QString& text : OutcomeTexts(*sent, removal, name, choice)) {
      context.window.Tell(text);
    }
  }
  // A change marks the keys as the connection read them; without one the marks still follow
  // the macro library, which the dialog may have changed.
  if (!sent || sent->outcome == protocol::AssignmentOutcome::kNothingToAssign) {
    context.window.MarkAssignedKeys();
  }
  return false;
}

QStringList KeyAssignmentFlow::OutcomeTexts(const protocol::AssignmentResult& result, bool removal,
                                            const QString& keyName,
                                            const macro::MacroRecordDlg::Choice& choice) {
  using protocol::AssignmentOutcome;
  switch (result.outcome) {
    case AssignmentOutcome::kDone:
      return DoneTexts(result, removal, keyName, choice);
    case AssignmentOutcome::kNoSpace:
      return {};
    case AssignmentOutcome::kNothingToAssign:
      return {Translated(NothingChosenText(choice.page))};
    case AssignmentOutcome::kSlotsUnknown:
      return {Translated(kSlotsUnknownText)};
    case AssignmentOutcome::kNotTaken:
    case AssignmentOutcome::kRejected:
      return {Translated(removal ? kNotRemovedText : kNotTakenText)};
    case AssignmentOutcome::kUnconfirmed:
      return {Translated(kUnconfirmedText)};
    case AssignmentOutcome::kNotRecorded:
      // The window tells it when the connection announces it.
      return {};
  }
  return {};
}

}  // namespace keyloom::app

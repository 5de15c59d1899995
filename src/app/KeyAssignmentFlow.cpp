#include "app/KeyAssignmentFlow.h"

#include <cstdint>
#include <optional>

#include "app/Language.h"
#include "controls/ICoordButtonClickListener.h"
#include "macro/AssignmentStore.h"
#include "protocol/KeyAssignmentRecord.h"
#include "protocol/KeyboardProtocol.h"
#include "protocol/UserTexts.h"
#include "settings/AppConfig.h"
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

QStringList DoneTexts(const protocol::AssignmentResult& result, bool removal,
                      const QString& keyName, const AssignedChoice& choice) {
  if (removal) {
    return {Translated(result.half ? KeyAssignmentFlow::kRemovedText
                                   : KeyAssignmentFlow::kHadNothingText)
                .arg(keyName)};
  }
  QStringList texts;
  if (choice.kind == AssignedChoice::Kind::kUnknown || choice.name.isEmpty()) {
    texts.append(Translated(KeyAssignmentFlow::kAssignedText).arg(keyName));
  } else {
    const bool plays = choice.kind == AssignedChoice::Kind::kPlays;
    texts.append(Translated(plays ? KeyAssignmentFlow::kPlaysText : KeyAssignmentFlow::kSendsText)
                     .arg(keyName, choice.name));
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
  protocol::KeyboardState& keyboard = context.keyboard;
  if (keyboard.profileIndex > kLastProfileIndex) {
    keyboard.profileIndex = 0;
  }
  context.selectedKeys[static_cast<std::uint8_t>(static_cast<std::uint32_t>(id) & 0xFFU)] =
      name.toStdString();

  protocol::KeyAssignmentRecord record;
  int result = macro::MacroRecordDlg::kResultCancel;
  AssignedChoice choice;
  {
    // The dialog tells how many macro slots the profile has left.
    macro::MacroRecordDlg::Environment environment = context.dialog;
    environment.keyboard = &keyboard;
    // The dialog opens on what the key does now, when the key map knows it.
    std::optional<keymap::KeyContent> current;
    if (keyboard.slotsWhole) {
      for (const keymap::SlotAssignment& assignment :
           context.keyboardConnection.KeyMap().AssignmentsOfKey(
               keyboard.profileIndex, keyboard.slots, static_cast<std::uint8_t>(id))) {
        if (assignment.content.kind != keymap::ContentKind::kUnknown) {
          current = assignment.content;
          break;
        }
      }
    }
    environment.current = current ? &*current : nullptr;
    macro::MacroRecordDlg dialog(context.selectedKeys, record, environment);
    result = dialog.Exec(context.owner);
    if (result == macro::MacroRecordDlg::kResultOk) {
      // Before the assignment fills in the record's profile and slot.
      choice = DescribeChoice(record, context.selectedKeys,
                              context.dialog.store != nullptr ? *context.dialog.store
                                                              : macro::AssignmentStore::Global(),
                              dialog.Library(),
                              context.dialog.config != nullptr ? *context.dialog.config
                                                               : settings::AppConfig::Global());
    }
  }

  std::optional<protocol::AssignmentResult> sent;
  const bool removal = result == macro::MacroRecordDlg::kResultDelete;
  if (result == macro::MacroRecordDlg::kResultOk) {
    sent = context.keyboardConnection.Assign(keyboard, context.profileEntry, record,
                                             context.selectedKeys, choice.label);
  } else if (removal && !context.selectedKeys.empty()) {
    sent = context.keyboardConnection.Delete(keyboard, context.profileEntry, record,
                                             context.selectedKeys);
  }
  if (sent && sent->outcome == protocol::AssignmentOutcome::kNoSpace) {
    ui::SMessageBox::Show(context.owner, QString::fromUtf8(protocol::kInsufficientSpaceText),
                          QString::fromUtf8(protocol::kWarningCaption), ui::MessageBoxButtons::kOk,
                          ui::MessageBoxIcon::kWarning);
  } else if (sent && context.tell) {
    for (const QString& text : OutcomeTexts(*sent, removal, name, choice)) {
      context.tell(text);
    }
  }
  if (context.markAssignedKeys) {
    context.markAssignedKeys();
  }
  context.selectedKeys.clear();
  return false;
}

QStringList KeyAssignmentFlow::OutcomeTexts(const protocol::AssignmentResult& result, bool removal,
                                            const QString& keyName, const AssignedChoice& choice) {
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
  }
  return {};
}

}  // namespace keyloom::app

#include "app/KeyAssignmentFlow.h"

#include <cstdint>
#include <string_view>

#include "controls/ICoordButtonClickListener.h"
#include "protocol/KeyAssignmentRecord.h"
#include "protocol/KeyboardProtocol.h"
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
    macro::MacroRecordDlg dialog(context.selectedKeys, record, context.dialog);
    result = dialog.Exec(context.owner);
  }

  if (result == macro::MacroRecordDlg::kResultOk) {
    protocol::ApplyKeyAssignment(
        context.link, keyboard, context.profileEntry, record, context.selectedKeys,
        [owner = context.owner](std::string_view caption, std::string_view text) {
          ui::SMessageBox::Show(
              owner, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
              QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
              ui::MessageBoxButtons::kOk, ui::MessageBoxIcon::kWarning);
        });
  } else if (result == macro::MacroRecordDlg::kResultDelete && !context.selectedKeys.empty()) {
    protocol::DeleteKeyAssignment(context.link, keyboard, context.profileEntry, record,
                                  context.selectedKeys);
  }
  if (context.markAssignedKeys) {
    context.markAssignedKeys();
  }
  context.selectedKeys.clear();
  return false;
}

}  // namespace keyloom::app

#include "macro_dialog/FreeSlotsLine.h"

#include <QString>

#include <QLatin1StringView>

#include "macro/MacroSlotRoom.h"
#include "ui/host/SHostWnd.h"
#include "ui/widgets/SStatic.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::macro {

namespace {

constexpr QLatin1StringView kLine("free_macro_slots");
constexpr QLatin1StringView kCount("text_free_macro_slots");

}  // namespace

void ShowFreeSlotsLine(const ui::SHostWnd& window, const protocol::KeyboardState& keyboard) {
  ui::SWindow* line = window.FindChildByName2(kLine, ui::SWindow::kClassName);
  auto* count = window.FindChildByName2<ui::SStatic>(kCount);
  const MacroSlotRoom room = MacroSlotRoomFor(keyboard.slots, keyboard.slotsWhole, {});
  if (line != nullptr) {
    line->setVisible(room.state != MacroSlotRoom::State::kUnknown);
  }
  if (count != nullptr) {
    count->SetText(
        QStringLiteral("%1/%2").arg(room.free).arg(protocol::KeySlotTable::kSlotsPerHalf));
  }
}

}  // namespace keyloom::macro

#include "macro_dialog/FreeSlotsLine.h"

#include <QString>

#include <QLatin1StringView>

#include "macro/MacroSlotRoom.h"
#include "ui/host/SApplication.h"
#include "ui/host/SHostWnd.h"
#include "ui/widgets/SStatic.h"
#include "ui/widgets/SWindow.h"

namespace keyloom::macro {

namespace {

constexpr QLatin1StringView kLine("free_macro_slots");
constexpr QLatin1StringView kCount("text_free_macro_slots");

constexpr const char* kSlotsFreeText =
    "Free macro slots in this profile: %1 of %2. A remap needs a free macro slot too.";
constexpr const char* kSlotsOwnText =
    "Free macro slots in this profile: %1 of %2. This key keeps the macro slot it has.";
constexpr const char* kSlotsFullText =
    "All %1 macro slots of this profile are taken. Reset another key first: a remap needs a "
    "free macro slot too.";
constexpr const char* kSlotsUnknownText =
    "How many macro slots are free is not known: the keyboard's key table was not read.";
constexpr QLatin1StringView kWarningColour("@color/warning");

QString Translated(const char* text) {
  return ui::SApplication::Tr(QString::fromUtf8(text));
}

QString SlotRoomText(const MacroSlotRoom& room) {
  const auto all = static_cast<int>(protocol::KeySlotTable::kSlotsPerHalf);
  switch (room.state) {
    case MacroSlotRoom::State::kFree:
      return Translated(kSlotsFreeText).arg(room.free).arg(all);
    case MacroSlotRoom::State::kOwnSlot:
      return Translated(kSlotsOwnText).arg(room.free).arg(all);
    case MacroSlotRoom::State::kFull:
      return Translated(kSlotsFullText).arg(all);
    case MacroSlotRoom::State::kUnknown:
      break;
  }
  return Translated(kSlotsUnknownText);
}

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

void ShowFreeSlotsText(ui::SStatic& line, const protocol::KeyboardState* keyboard,
                       const protocol::SelectedKeys& keys) {
  line.setVisible(keyboard != nullptr);
  if (keyboard == nullptr) {
    return;
  }
  const MacroSlotRoom room = MacroSlotRoomFor(keyboard->slots, keyboard->slotsWhole, keys);
  line.SetText(SlotRoomText(room));
  if (room.state == MacroSlotRoom::State::kFull) {
    const ui::SApplication* app = ui::SApplication::Instance();
    line.SetAttribute("colorText",
                      app != nullptr ? app->ResolveValue(kWarningColour) : QString(kWarningColour));
  }
}

}  // namespace keyloom::macro

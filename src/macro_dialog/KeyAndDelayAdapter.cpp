#include "macro_dialog/KeyAndDelayAdapter.h"

#include <QScopedValueRollback>
#include <algorithm>
#include <string>

#include <pugixml.hpp>

#include "controls/SEditEx.h"
#include "macro_dialog/WholeText.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"

namespace keyloom::macro {

namespace {

constexpr QLatin1StringView kCodeText("key_code");
constexpr QLatin1StringView kNameText("key_name");
constexpr QLatin1StringView kStateText("key_state");
constexpr QLatin1StringView kDelayEdit("key_delay");

QString AttributeText(const MacroNode& event, std::string_view attribute) {
  return QString::fromStdString(event.Attribute(attribute).value_or(""));
}

void SetChildText(ui::SWindow& rowView, const QString& child, const QString& text) {
  if (ui::SWindow* window = rowView.FindChildByName(child)) {
    window->SetText(text);
  }
}

}  // namespace

KeyAndDelayAdapter::KeyAndDelayAdapter() {
  events_.SetChangeListener([this] { NotifyDataSetChanged(); });
}

void KeyAndDelayAdapter::GetView(int position, ui::SWindow& rowView,
                                 const pugi::xml_node& itemTemplate) {
  const MacroNode* event = events_.EventAt(position);
  if (event == nullptr) {
    return;
  }
  if (rowView.GetChildWindows().empty()) {
    rowView.CreateChildren(itemTemplate);
  }
  // Shown through the translator, as the row's text controls show every text.
  SetChildText(rowView, kCodeText, AttributeText(*event, kCodeAttribute));
  SetChildText(rowView, kNameText, AttributeText(*event, kNameAttribute));
  SetChildText(rowView, kStateText, QString::fromUtf8(MacroEventList::StateText(*event)));
  if (auto* edit = rowView.FindChildByName2<controls::SEditEx>(kDelayEdit)) {
    edit->SetUserData(static_cast<std::uint32_t>(position));
    const QString delay = AttributeText(*event, kDelayAttribute);
    // Setting the same text again would put the caret of a delay being typed at its end. The
    // delay shown is no edit of it.
    if (edit->GetText() != delay) {
      const QScopedValueRollback showing(showing_, true);
      ShowWholeText(*edit, delay);
    }
    edit->Subscribe(
        ui::kEventRichEditNotify, [this](ui::EventArgs& args) { OnDelayChanged(args); }, this);
  }
}

QString KeyAndDelayAdapter::GetColumnName(int column) const {
  return QStringLiteral("col%1").arg(column + 1);
}

bool KeyAndDelayAdapter::OnSort(int column, std::vector<ui::SortMark>& marks) {
  if (column < 0 || static_cast<std::size_t>(column) >= marks.size()) {
    return false;
  }
  const auto clicked = static_cast<std::size_t>(column);
  const ui::SortMark next = marks[clicked] == ui::SortMark::kAscending ? ui::SortMark::kDescending
                                                                       : ui::SortMark::kAscending;
  std::ranges::fill(marks, ui::SortMark::kNone);
  marks[clicked] = next;
  return true;
}

void KeyAndDelayAdapter::OnDelayChanged(ui::EventArgs& args) {
  if (args.code != ui::kRichEditTextChanged || args.sender == nullptr ||
      !args.sender->IsClass(controls::SEditEx::kClassName)) {
    return;
  }
  args.handled = true;
  if (showing_) {
    return;
  }
  ui::SWindow& edit = *args.sender;
  const QString typed = edit.GetText();
  const MacroEventList::DelayEdit result =
      events_.EditDelay(static_cast<int>(edit.GetUserData()), typed.toStdString());
  if (result.edit.changed && saved_) {
    saved_(result.edit.saved);
  }
  const QString shown = QString::fromStdString(result.shown);
  if (shown != typed) {
    const QScopedValueRollback showing(showing_, true);
    ShowWholeText(static_cast<ui::SEdit&>(edit), shown);
  }
}

}  // namespace keyloom::macro

#include "macro_dialog/ShortcutPage.h"

#include <QString>

#include "protocol/KeyNameTable.h"
#include "ui/widgets/SComboBox.h"

namespace keyloom::macro {

namespace {

constexpr QLatin1StringView kFunctionKeys("cmb_function_keys");
constexpr QLatin1StringView kShortcutPicture("img_function_keys");

}  // namespace

ShortcutPage::ShortcutPage(PageContext& context,
                           const std::vector<settings::KeyCatalogEntry>& functionKeys)
    : CataloguePage(context, functionKeys, &AssignmentStore::functsel, kFunctionKeys,
                    kShortcutPicture) {}

keymap::BuiltContent ShortcutPage::Content() const {
  return keymap::ChordContent(Catalogue(), Selection());
}

void ShortcutPage::AddEntry(ui::SComboBox& list, const settings::KeyCatalogEntry& entry) const {
  const int index = list.AddString(QString::fromStdString(entry.name));
  list.SetItemDetail(index, QString::fromStdString(protocol::ShortcutText(entry.codes)));
}

std::vector<controls::SKeyCaps::Cap> ShortcutPage::Caps(
    const settings::KeyCatalogEntry* entry) const {
  std::vector<controls::SKeyCaps::Cap> caps;
  for (const std::int32_t code : entry != nullptr ? entry->codes : std::vector<std::int32_t>{}) {
    caps.push_back({QString::fromStdString(protocol::ShortcutKeyName(code)), -1});
  }
  return caps;
}

}  // namespace keyloom::macro

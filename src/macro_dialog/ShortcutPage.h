#pragma once

#include "macro_dialog/CataloguePage.h"

namespace keyloom::macro {

// The shortcut page: an entry of the configuration's function keys ("cmb_function_keys", the
// store's "functsel"), each listed with its keys as the row's detail (protocol::ShortcutText),
// and shown in "img_function_keys" as one keycap per key, named as protocol::ShortcutKeyName
// names it. OK gives the keys the entry's codes as a chord (keymap::ChordContent).
class ShortcutPage : public CataloguePage {
 public:
  ShortcutPage(PageContext& context, const std::vector<settings::KeyCatalogEntry>& functionKeys);

  [[nodiscard]] keymap::ContentKind Kind() const override { return keymap::ContentKind::kChord; }
  [[nodiscard]] keymap::BuiltContent Content() const override;

 private:
  void AddEntry(ui::SComboBox& list, const settings::KeyCatalogEntry& entry) const override;
  [[nodiscard]] std::vector<controls::SKeyCaps::Cap> Caps(
      const settings::KeyCatalogEntry* entry) const override;
};

}  // namespace keyloom::macro

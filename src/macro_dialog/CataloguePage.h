#pragma once

#include <cstdint>
#include <vector>

#include <QLatin1StringView>

#include "controls/SKeyCaps.h"
#include "macro_dialog/DialogPage.h"
#include "macro_dialog/PageContext.h"
#include "settings/KeyCatalogEntry.h"

namespace keyloom::ui {
class SComboBox;
}

namespace keyloom::macro {

// A page that chooses an entry of one of the configuration's catalogues in a combo box, with a
// picture of the keys that the chosen entry sends: the base of the media-key and shortcut pages.
// The combo box lists the entries by their names (translated by the control); the store keeps
// the row chosen in a field of its own, saved at once when the user picks another row, and the
// picture follows the row. A row outside the catalogue, or an entry without codes, shows no keys
// and chooses nothing.
class CataloguePage : public DialogPage {
 public:
  // The current content names its entry; an entry of another name stays as it was.
  void TakeCurrent(const keymap::KeyContent& current) override;
  void Bind(const ui::SHostWnd& window) override;
  void ShowStored() override;
  void Listen(const ui::SHostWnd& window) override;
  void Unbind() override;

 protected:
  // The controls named `list` and `picture`; the row chosen is the store's `selection`. The
  // catalogue must outlive the page.
  CataloguePage(PageContext& context, const std::vector<settings::KeyCatalogEntry>& catalogue,
                std::int32_t AssignmentStore::*selection, QLatin1StringView list,
                QLatin1StringView picture);

  [[nodiscard]] const std::vector<settings::KeyCatalogEntry>& Catalogue() const {
    return catalogue_;
  }
  // The row of the combo box chosen; -1 for none, or without the combo box.
  [[nodiscard]] int Selection() const;

 private:
  // Lists `entry` as the next row.
  virtual void AddEntry(ui::SComboBox& list, const settings::KeyCatalogEntry& entry) const;
  // The picture of `entry`, null when the row is outside the catalogue.
  [[nodiscard]] virtual std::vector<controls::SKeyCaps::Cap> Caps(
      const settings::KeyCatalogEntry* entry) const = 0;
  void ShowPicture();

  PageContext& context_;
  const std::vector<settings::KeyCatalogEntry>& catalogue_;
  std::int32_t AssignmentStore::*selection_;
  QLatin1StringView listName_;
  QLatin1StringView pictureName_;
  ui::SComboBox* list_ = nullptr;
  controls::SKeyCaps* picture_ = nullptr;
};

}  // namespace keyloom::macro

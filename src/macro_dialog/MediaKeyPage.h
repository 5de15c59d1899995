#pragma once

#include "macro_dialog/CataloguePage.h"

namespace keyloom::macro {

// The media-key page: an entry of the configuration's media keys ("cmb_media_keys", the store's
// "mediasel"), shown in "img_media_keys" as one keycap with the media usage's glyph (none for a
// usage without one) over the entry's name. OK gives the keys the low 8 bits of the entry's
// first code (keymap::MediaKeyContent).
class MediaKeyPage : public CataloguePage {
 public:
  MediaKeyPage(PageContext& context, const std::vector<settings::KeyCatalogEntry>& mediaKeys);

  [[nodiscard]] keymap::ContentKind Kind() const override { return keymap::ContentKind::kMediaKey; }
  [[nodiscard]] keymap::BuiltContent Content() const override;

 private:
  [[nodiscard]] std::vector<controls::SKeyCaps::Cap> Caps(
      const settings::KeyCatalogEntry* entry) const override;
};

}  // namespace keyloom::macro

#include "macro_dialog/MediaKeyPage.h"

#include <QString>

#include "ui/host/SApplication.h"

namespace keyloom::macro {

namespace {

constexpr QLatin1StringView kMediaKeys("cmb_media_keys");
constexpr QLatin1StringView kMediaPicture("img_media_keys");

// The glyphs of the picture: one frame for each of the media usages 0xE8-0xFB, in the order of
// their usages.
constexpr int kFirstGlyphUsage = 0xE8;
constexpr int kGlyphCount = 20;
constexpr std::uint32_t kUsageMask = 0xFF;

}  // namespace

MediaKeyPage::MediaKeyPage(PageContext& context,
                           const std::vector<settings::KeyCatalogEntry>& mediaKeys)
    : CataloguePage(context, mediaKeys, &AssignmentStore::mediasel, kMediaKeys, kMediaPicture) {}

keymap::BuiltContent MediaKeyPage::Content() const {
  return keymap::MediaKeyContent(Catalogue(), Selection());
}

std::vector<controls::SKeyCaps::Cap> MediaKeyPage::Caps(
    const settings::KeyCatalogEntry* entry) const {
  if (entry == nullptr || entry->codes.empty()) {
    return {};
  }
  const int glyph =
      static_cast<int>(static_cast<std::uint32_t>(entry->codes.front()) & kUsageMask) -
      kFirstGlyphUsage;
  const bool known = glyph >= 0 && glyph < kGlyphCount;
  return {{ui::SApplication::Tr(QString::fromStdString(entry->name)), known ? glyph : -1}};
}

}  // namespace keyloom::macro

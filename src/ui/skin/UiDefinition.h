#pragma once

#include <QFont>
#include <QString>

#include "ui/skin/ColorTable.h"
#include "ui/skin/SkinPool.h"
#include "ui/skin/StringTable.h"
#include "ui/skin/StyleTable.h"

namespace keyloom::ui {

class ResourceProvider;
struct ResourceName;

// The skin's UI definition (UIDEF:XML_INIT) with what it names: the default font, the named
// strings, colours and skins, and the style classes:
//   <uidef><font face="..." size="13"/><string src="values:string"/><color src="values:color"/>
//          <skin src="values:skin"/><style><class name="..." .../></style></uidef>
// A table element either names its resource with "src" or holds the entries itself. Strings
// load first, then colours, skins (which may refer to colours) and styles, whatever their order
// in the file.
class UiDefinition {
 public:
  // False when the definition cannot be read; tables whose resources are missing stay empty.
  bool Load(const ResourceProvider& provider, const ResourceName& name, const ImageLoader& images);

  [[nodiscard]] const QFont& Font() const { return font_; }
  [[nodiscard]] const StringTable& Strings() const { return strings_; }
  [[nodiscard]] const ColorTable& Colors() const { return colors_; }
  [[nodiscard]] const SkinPool& Skins() const { return skins_; }
  [[nodiscard]] const StyleTable& Styles() const { return styles_; }

  // A layout attribute value with its reference resolved: "@string/name" becomes the named
  // string and "@color/name" the named colour (as #RRGGBBAA); an unknown name, and any other
  // value, stays as it is.
  [[nodiscard]] QString ResolveValue(const QString& value) const;

 private:
  QFont font_;
  StringTable strings_;
  ColorTable colors_;
  SkinPool skins_;
  StyleTable styles_;
};

}  // namespace keyloom::ui

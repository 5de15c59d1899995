#include "ui/skin/UiDefinition.h"

#include <functional>
#include <string_view>

#include <pugixml.hpp>

#include "settings/AsciiText.h"
#include "ui/layout/AttributeText.h"
#include "ui/skin/FontText.h"
#include "ui/skin/ResourceName.h"
#include "ui/skin/ResourceProvider.h"

namespace keyloom::ui {

namespace {

constexpr auto kStringReference = QLatin1String("@string/");
constexpr auto kColorReference = QLatin1String("@color/");

// Calls `load` with every table of the definition whose element is named `tag`: the document
// element of the resource its "src" names, or else the element itself.
void ForEachTable(const ResourceProvider& provider, const pugi::xml_node& definition,
                  std::string_view tag, const std::function<void(const pugi::xml_node&)>& load) {
  for (const pugi::xml_node element : definition.children()) {
    if (!settings::EqualIgnoringAsciiCase(element.name(), tag)) {
      continue;
    }
    const QString source = QString::fromUtf8(element.attribute("src").value());
    if (source.isEmpty()) {
      load(element);
      continue;
    }
    pugi::xml_document document;
    if (provider.LoadXml(ResourceName::Parse(source), document)) {
      load(document.document_element());
    }
  }
}

}  // namespace

bool UiDefinition::Load(const ResourceProvider& provider, const ResourceName& name,
                        const ImageLoader& images) {
  pugi::xml_document document;
  if (!provider.LoadXml(name, document)) {
    return false;
  }
  const pugi::xml_node definition = document.document_element();
  ForEachTable(provider, definition, "string",
               [this](const pugi::xml_node& table) { strings_.Load(table); });
  ForEachTable(provider, definition, "color",
               [this](const pugi::xml_node& table) { colors_.Load(table); });
  const ValueResolver resolve = [this](const QString& value) { return ResolveValue(value); };
  ForEachTable(provider, definition, "skin",
               [this, &images, &resolve](const pugi::xml_node& table) {
                 skins_.Load(table, images, resolve);
               });
  ForEachTable(provider, definition, "style",
               [this](const pugi::xml_node& table) { styles_.Load(table); });
  if (const pugi::xml_node font = definition.child("font")) {
    font_ = DefaultFont(QString::fromUtf8(font.attribute("face").value()),
                        font.attribute("size").as_int());
  }
  return true;
}

QString UiDefinition::ResolveValue(const QString& value) const {
  if (value.startsWith(kStringReference)) {
    return strings_.Get(value.mid(kStringReference.size())).value_or(value);
  }
  if (value.startsWith(kColorReference)) {
    const std::optional<QColor> color = colors_.Get(value.mid(kColorReference.size()));
    if (!color) {
      return value;
    }
    return QStringLiteral("#%1%2")
        .arg(color->name(QColor::HexRgb).mid(1))
        .arg(color->alpha(), 2, 16, QLatin1Char('0'));
  }
  return value;
}

}  // namespace keyloom::ui

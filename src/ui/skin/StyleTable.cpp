#include "ui/skin/StyleTable.h"

#include <pugixml.hpp>

#include "settings/AsciiText.h"
#include "ui/layout/AttributeText.h"

namespace keyloom::ui {

void StyleTable::Load(const pugi::xml_node& style) {
  for (const pugi::xml_node entry : style.children()) {
    const QString name = QString::fromUtf8(entry.attribute("name").value());
    if (name.isEmpty() || classes_.contains(name)) {
      continue;
    }
    std::vector<Attribute> attributes;
    for (const pugi::xml_attribute attribute : entry.attributes()) {
      if (!settings::EqualIgnoringAsciiCase(attribute.name(), "name")) {
        attributes.emplace_back(attribute.name(), QString::fromUtf8(attribute.value()));
      }
    }
    classes_.emplace(name, std::move(attributes));
  }
}

const std::vector<Attribute>& StyleTable::Get(const QString& name) const {
  static const std::vector<Attribute> kNone;
  const auto found = classes_.find(name);
  return found == classes_.end() ? kNone : found->second;
}

}  // namespace keyloom::ui

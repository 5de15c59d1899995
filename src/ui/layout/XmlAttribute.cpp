#include "ui/layout/XmlAttribute.h"

#include <pugixml.hpp>

#include "settings/AsciiText.h"
#include "ui/layout/AttributeText.h"

namespace keyloom::ui {

std::optional<QString> FindAttribute(const pugi::xml_node& element, std::string_view name) {
  for (const pugi::xml_attribute attribute : element.attributes()) {
    if (settings::EqualIgnoringAsciiCase(attribute.name(), name)) {
      return QString::fromUtf8(attribute.value());
    }
  }
  return std::nullopt;
}

}  // namespace keyloom::ui

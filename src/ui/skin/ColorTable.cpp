#include "ui/skin/ColorTable.h"

#include <pugixml.hpp>

#include "ui/skin/ColorText.h"

namespace keyloom::ui {

void ColorTable::Load(const pugi::xml_node& table) {
  for (const pugi::xml_node entry : table.children()) {
    const QString name = QString::fromUtf8(entry.attribute("name").value());
    const std::optional<QColor> color =
        ParseColor(QString::fromUtf8(entry.attribute("value").value()));
    if (!name.isEmpty() && color) {
      colors_.emplace(name, *color);
    }
  }
}

std::optional<QColor> ColorTable::Get(const QString& name) const {
  const auto found = colors_.find(name);
  if (found == colors_.end()) {
    return std::nullopt;
  }
  return found->second;
}

}  // namespace keyloom::ui
